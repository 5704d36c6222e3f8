#pragma once

#include <QDialog>

class QTableWidget;
class TForm1;

// " Kadro Ünvan Kodları": the official staff title codes, to be read and typed into the
// member form's "Kadro Ünvanı Kodu". Read only; created once, shown modally.
class TFrmUnvan : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmUnvan(TForm1 *form);

    // Centred on the main window; returns when "KAPAT" or the close box is pressed.
    void showModal();
    void Button1Click();

    QTableWidget *table() const { return m_table; }

private:
    TForm1 *m_form;
    QTableWidget *m_table = nullptr;
};
