#pragma once

#include <QDialog>

class QTableWidget;

// "Eğitim, Öğretim ve Bilim Hizmetleri ": the service-branch and institution codes, to be
// read and typed into the fixed information form. Read only; created once, shown modally.
class TFrmKod : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmKod(QWidget *parent);

    // Centred on the main window; returns when "KAPAT" or the close box is pressed.
    void showModal();
    void BitBtn1Click();

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
