#pragma once

class QLineEdit;

namespace passwordbox {

// Shows every typed character of the box as "*" while `masked`, and the text itself
// otherwise.
void setMasked(QLineEdit *box, bool masked);

} // namespace passwordbox
