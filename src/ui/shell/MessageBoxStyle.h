#pragma once

class QMessageBox;

namespace kinoloom {

// The look of the alert and the confirmations: the title in bold above the message, the message
// at least `messageWidth` wide, and every label showing its text as plain text (an error or a
// disk name may quote a file name that looks like markup; it must read literally and load
// nothing). Call it after the texts are set: Qt makes the message label when it first gets one.
void styleMessageBox(QMessageBox &box, int messageWidth);

} // namespace kinoloom
