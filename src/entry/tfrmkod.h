#pragma once

#include <QDialog>

class QTableWidget;
class TForm1;

// "Eğitim, Öğretim ve Bilim Hizmetleri ": the service-branch and institution codes, to be
// read and typed into the fixed information form. Read only; created once, shown modally.
class TFrmKod : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmKod(TForm1 *form);

    // Centred on the main window; returns when "KAPAT" or the close box is pressed.
    void showModal();
    void BitBtn1Click();

    QTableWidget *table() const { return m_table; }

private:
    TForm1 *m_form;
    QTableWidget *m_table = nullptr;
};
