#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;
class SharedQueries;

// " Yedekleme İşlemi": copies Data.dat and, on request, PersonelKayit.ini into a folder that
// the user names under a place chosen in a list of places and a folder tree. The database is
// copied while the program keeps it open, consistently and checked; failures are told with
// the path and the reason and the window stays open. Created once; keeps what the user left
// in it from one opening to the next.
class TFrmYedek : public QDialog
{
    Q_OBJECT
public:
    TFrmYedek(SharedQueries *data, QWidget *parent);

    // Shows the window modally, centred on the main window.
    void execute();

    // The places offered: the home folder, the mounted volumes, the program folder.
    struct Place {
        QString caption;
        QString path;
    };
    static QList<Place> places();
    // The folder the backup goes under: the folder selected in the tree, or the chosen
    // place itself while no folder is selected.
    QString location() const;

    void DriveComboBox1Change(int index);
    void Button1Click();

private:
    QWidget *buildLeftColumn();
    QWidget *buildRightColumn();
    void showFolders();
    // One step of the progress sequence: the bar moves, is painted, and the pause follows.
    void stepTo(int value, int pauseMs);
    // The six steps around the copy of one file, with the copy itself after the fourth.
    bool copyWithSteps(int pauseMs, const std::function<bool(QString *)> &copy, QString *error);
    bool backUp(QString *error);

    SharedQueries *m_data;
    QLineEdit *m_edit1 = nullptr;
    QComboBox *m_driveComboBox1 = nullptr;
    QTreeView *m_directoryOutline1 = nullptr;
    QFileSystemModel *m_folders = nullptr;
    QProgressBar *m_progressBar1 = nullptr;
    QCheckBox *m_checkBox1 = nullptr;
    QCheckBox *m_checkBox2 = nullptr;
    QPushButton *m_button1 = nullptr;
};
