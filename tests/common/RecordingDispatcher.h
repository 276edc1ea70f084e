// An event dispatcher for a test thread that records the flags it is asked to process events
// with, so that a test sees which events a run lets through.
#pragma once

#include <QAbstractEventDispatcher>
#include <vector>

// The thread deletes its dispatcher when it finishes, so the record lives outside.
class RecordingDispatcher : public QAbstractEventDispatcher {
public:
    explicit RecordingDispatcher(std::vector<QEventLoop::ProcessEventsFlags>& calls)
        : calls_(calls) {}
    bool processEvents(QEventLoop::ProcessEventsFlags flags) override {
        calls_.push_back(flags);
        return false;
    }
    void registerSocketNotifier(QSocketNotifier*) override {}
    void unregisterSocketNotifier(QSocketNotifier*) override {}
    void registerTimer(int, qint64, Qt::TimerType, QObject*) override {}
    bool unregisterTimer(int) override { return true; }
    bool unregisterTimers(QObject*) override { return true; }
    QList<TimerInfo> registeredTimers(QObject*) const override { return {}; }
    int remainingTime(int) override { return -1; }
    void wakeUp() override {}
    void interrupt() override {}

private:
    std::vector<QEventLoop::ProcessEventsFlags>& calls_;
};
