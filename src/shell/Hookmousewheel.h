// The mouse-wheel rule: a vertical wheel turn acts as the Up or Down arrow key in the focus widget.
#pragma once

#include <QObject>

// Application event filter that turns vertical wheel events into one Up (wheel turned away from
// the user) or Down (towards the user) key press and release sent to the focus widget, so that
// grids, lists and the tree move one row per notch and key handlers that watch the arrow keys
// react to the wheel too. The wheel event itself is consumed.
//
// A notch is 120 units of angle delta. A single event of several notches still gives one press.
// Touchpads deliver many small deltas: they are gathered per direction until they make a notch,
// then give one press; the part beyond the notch stays gathered, and turning the other way drops
// what was gathered. Events without vertical delta (the start and end of a touchpad scroll,
// horizontal wheels) and wheel events while no widget has the focus pass on unchanged.
class MouseWheelHook : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Vertical delta gathered towards the next notch; its sign is the direction.
    int Gathered = 0;
};

// The installed filter of the program; null until InstallMouseWheelHook installs it and again
// after RemoveMouseWheelHook.
MouseWheelHook* MouseWheelHookHandle();

// Installs the filter on the application (the load phase calls it). Installing again while it
// is installed changes nothing; without an application nothing is installed and the wheel keeps
// its ordinary meaning.
void InstallMouseWheelHook();

// Removes the installed filter (the close dialog calls it): the wheel scrolls as usual again.
void RemoveMouseWheelHook();
