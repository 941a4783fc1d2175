#pragma once

class QMessageBox;

namespace kinoloom {

// Every label of `box` shows its text as plain text: an error or a disk name may quote a file
// name that looks like markup, and must read literally and load nothing. Call it after the
// texts are set (Qt makes the informative label when it first gets a text).
void usePlainText(QMessageBox &box);

} // namespace kinoloom
