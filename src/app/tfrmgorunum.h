#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QPushButton;
class TForm1;

// "  Gösterilecek Bilgi Alanları": which of the 23 columns the unit's staff grid shows.
// The dialog only edits its boxes; the main window's field flags change on "ONAYLA", and the
// grid follows the flags at the next idle moment.
class TFrmGorunum : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmGorunum(TForm1 *form);
    // Loads boxes 2..23 from the field flags and shows the dialog modally.
    void chooseVisibleFields();
    // The handler of the context-menu item "Alan Gösterimleri" (AlanGsterimleri1).
    void AlanGsterimleri1Click() { chooseVisibleFields(); }

    QCheckBox *checkBox(int n) const { return m_boxes[size_t(n - 1)]; }

    // "ONAYLA": boxes 2..23 become the flags.
    void BitBtn1Click();
    // "İptal": the flags stay; the next opening reloads the boxes from them.
    void BitBtn2Click();
    // "Orijinal Ayarlara Dön": factory boxes and, at once, factory column widths.
    void BitBtn3Click();

private:
    TForm1 *m_form;
    std::array<QCheckBox *, 23> m_boxes{};
    QPushButton *m_bitBtn1 = nullptr;
    QPushButton *m_bitBtn2 = nullptr;
    QPushButton *m_bitBtn3 = nullptr;
};
