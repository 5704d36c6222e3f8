#pragma once

#include <QDialog>

class QTableWidget;

// " Kadro Ünvan Kodları": the official staff title codes, to be read and typed into the
// member form's "Kadro Ünvanı Kodu". Read only; created once, shown modally.
class TFrmUnvan : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmUnvan(QWidget *parent);

    // Centred on the main window; returns when "KAPAT" or the close box is pressed.
    void showModal();
    void Button1Click();

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
