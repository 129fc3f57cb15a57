#pragma once
// Test hook: PIXTREL_TEST_PRESS_COMMAND=NAME (a pixtrel-batch command name, "resize-jpg") makes
// the window press that command's button as soon as it has opened what it was asked to open,
// so a test can run a real batch in the real program, e.g. to interrupt it at a known byte
// with PIXTREL_TEST_SIGNAL_AFTER_BYTES. Without the variable nothing happens.
class QWidget;

namespace pixtrel {

// Presses the named command's button of the window. A name no button of the window has is
// reported on stderr and ends the program with status 2, so a test fails at once rather than
// waiting for a batch that never starts.
void PressCommandForTests(QWidget& window);

}  // namespace pixtrel
