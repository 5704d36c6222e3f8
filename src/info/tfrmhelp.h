#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QListWidget;
class QStackedWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

// "  Program Yardım": five help topics, each read from its HTML file in Yardim/ beside the
// program whenever it is chosen, so that a changed file shows at once. Created once at
// start-up; every opening starts on the first topic.
class TFrmHelp : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTopics = 5;

    explicit TFrmHelp(QWidget *parent);

    // Centred on the window that owns it; returns when closed.
    void showModal();

    // Shows the first topic, read again from its file.
    void FormShow();
    // Shows a topic (0 to 4) with its banner and reads its file into its page. A file that
    // cannot be read is named in an error box and the page keeps what it showed.
    void selectTopic(int topic);
    int currentTopic() const;

    static QString topicFile(int topic);

    QLabel *banner() const { return m_baslik; }
    QTextBrowser *page(int topic) const { return m_pages.at(topic); }
    QListWidget *topicList() const { return m_group1; }
    QListWidget *supportList() const { return m_group2; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildGroupBar();
    QWidget *buildTopicArea();
    void setGroupOpen(QToolButton *header, QListWidget *items, bool open);
    // Reads the topic's file into its page; the reason it could not, or an empty text.
    QString load(int topic);
    void followLink(int topic, const QUrl &url);

    QLabel *m_baslik = nullptr;
    QStackedWidget *m_pageControl = nullptr;
    QList<QTextBrowser *> m_pages;
    QListWidget *m_group1 = nullptr;
    QListWidget *m_group2 = nullptr;
    int m_rowBeforePress = -1; // a click on it reads the topic again
};
