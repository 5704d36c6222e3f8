#include "tfrmgorunum.h"

#include "tform1.h"

TFrmGorunum::TFrmGorunum(TForm1 *form) : QDialog(form), m_form(form) {}

void TFrmGorunum::AlanGsterimleri1Click() {}
