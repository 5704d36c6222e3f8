#pragma once

#include <QDialog>

class TForm1;

// "  Gösterilecek Bilgi Alanları": which of the 23 columns the unit's staff grid shows.
class TFrmGorunum : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmGorunum(TForm1 *form);
    // Loads boxes 2..23 from the field flags and shows the dialog modally.
    void AlanGsterimleri1Click();

private:
    TForm1 *m_form;
};
