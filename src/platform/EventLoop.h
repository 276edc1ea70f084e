// Letting the message loop run inside a long operation without admitting user input.
#pragma once

// Lets pending paint and timer events run, never user input, so that no second user action
// starts in the middle of the operation that calls it. Does nothing without an application.
void LetMessagesRun();
