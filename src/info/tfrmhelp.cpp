#include "tfrmhelp.h"

#include "data/programdir.h"
#include "supportlinks.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/messages.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using controls::name;

namespace
{

struct Topic {
    const char *item;
    const char *banner;
    const char *file;
};

const Topic kTopicTable[TFrmHelp::kTopics] = {
    {"Program Hakkında", " Program Hakkında", "hakkinda.html"},
    {"Sabit Bilgiler !", " Sabit Bilgiler", "sabit.html"},
    {"Arama Kriterleri", " Arama Kriterleri", "arama.html"},
    {"Raporlar", " Raporlar", "rapor.html"},
    {"Diğer Ayarlar", " Diğer Ayarlar", "diger.html"},
};

const QString kHelpFolder = QStringLiteral("Yardim");

QString helpFolder()
{
    return ProgramDir::sharedFile(kHelpFolder);
}

// A banner: white bold text on a dark blue band.
QLabel *bannerLabel(const QString &text, int points, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(points);
    label->setFont(font);
    label->setAutoFillBackground(true);
    label->setMargin(6);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, QColor(0x1f, 0x3a, 0x68));
    p.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(p);
    return label;
}

QListWidget *groupItems(const QString &objectName, const QStringList &items, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    name(list, objectName);
    list->addItems(items);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSpacing(2);
    list->setFixedHeight((list->sizeHintForRow(0) + 2 * list->spacing()) * list->count() +
                         2 * list->frameWidth() + 4);
    list->setCursor(Qt::PointingHandCursor);
    return list;
}

QToolButton *groupHeader(const QString &objectName, const QString &caption, QWidget *parent)
{
    auto *header = new QToolButton(parent);
    name(header, objectName, caption);
    header->setText(caption);
    header->setCheckable(true);
    header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont font = header->font();
    font.setBold(true);
    header->setFont(font);
    return header;
}

} // namespace

TFrmHelp::TFrmHelp(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    dialogs::setTitle(this, QStringLiteral("FrmHelp"), QStringLiteral("  Program Yardım"));
    setModal(true);
    resize(800, 560);
    setMinimumSize(600, 420);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);

    QLabel *top = bannerLabel(QStringLiteral("PROGRAM YARDIM"), 14, this);
    name(top, QStringLiteral("RzPanel1"));
    top->setAlignment(Qt::AlignCenter);
    layout->addWidget(top);

    auto *middle = new QHBoxLayout;
    middle->setSpacing(8);
    middle->addWidget(buildGroupBar());
    middle->addWidget(buildTopicArea(), 1);
    layout->addLayout(middle, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton *ok = controls::commandButton(QStringLiteral("BitBtn2"), QStringLiteral("TAMAM"),
                                              QString(), this);
    QPushButton *close = controls::commandButton(QStringLiteral("BitBtn1"), QStringLiteral("KAPAT"),
                                                 QString(), this);
    for (QPushButton *b : {ok, close}) {
        b->setMinimumWidth(91);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, &QDialog::close);
    }
    ok->setDefault(true);
    layout->addLayout(buttons);
}

QWidget *TFrmHelp::buildGroupBar()
{
    auto *bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("RzGroupBar1"));
    bar->setFixedWidth(210);
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setAutoFillBackground(true);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, QColor(0xdc, 0xe4, 0xf0));
    bar->setPalette(p);

    auto *layout = new QVBoxLayout(bar);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);

    QStringList topics;
    for (const Topic &t : kTopicTable)
        topics << QString::fromUtf8(t.item);
    QToolButton *helpHeader =
        groupHeader(QStringLiteral("RzGroup1Caption"), QStringLiteral("YARDIM"), bar);
    m_group1 = groupItems(QStringLiteral("RzGroup1"), topics, bar);
    QToolButton *supportHeader =
        groupHeader(QStringLiteral("RzGroup2Caption"), QStringLiteral("DESTEK"), bar);
    m_group2 = groupItems(QStringLiteral("RzGroup2"), {support::kSite, support::kForum}, bar);
    for (auto [header, items] :
         {std::pair{helpHeader, m_group1}, std::pair{supportHeader, m_group2}}) {
        layout->addWidget(header);
        layout->addWidget(items);
        connect(header, &QToolButton::toggled, this,
                [this, header, items](bool open) { setGroupOpen(header, items, open); });
    }
    layout->addStretch(1);
    setGroupOpen(helpHeader, m_group1, true);
    setGroupOpen(supportHeader, m_group2, false);

    // A topic is read whenever it is chosen: by the keyboard, by a click, and by a click on
    // the topic already shown (to see a changed file).
    connect(m_group1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            selectTopic(row);
    });
    m_group1->viewport()->installEventFilter(this);
    connect(m_group1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (m_group1->row(item) == m_rowBeforePress)
            selectTopic(m_rowBeforePress);
    });
    connect(m_group2, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        support::open(item->text());
        m_group2->clearSelection();
    });
    return bar;
}

QWidget *TFrmHelp::buildTopicArea()
{
    auto *area = new QWidget(this);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_baslik = bannerLabel(QString(), 11, area);
    name(m_baslik, QStringLiteral("Baslik"));
    layout->addWidget(m_baslik);
    m_pageControl = new QStackedWidget(area);
    name(m_pageControl, QStringLiteral("PageControl1"));
    for (int i = 0; i < kTopics; ++i) {
        auto *viewer = new QTextBrowser(m_pageControl);
        name(viewer, QStringLiteral("RichEdit%1").arg(i + 1),
             QString::fromUtf8(kTopicTable[i].item));
        viewer->setOpenLinks(false);
        connect(viewer, &QTextBrowser::anchorClicked, this,
                [this, i](const QUrl &url) { followLink(i, url); });
        m_pageControl->addWidget(viewer);
        m_pages << viewer;
    }
    layout->addWidget(m_pageControl, 1);
    return area;
}

bool TFrmHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_group1->viewport() && event->type() == QEvent::MouseButtonPress)
        m_rowBeforePress = m_group1->currentRow();
    return QDialog::eventFilter(watched, event);
}

void TFrmHelp::setGroupOpen(QToolButton *header, QListWidget *items, bool open)
{
    header->setChecked(open);
    header->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    items->setVisible(open);
}

void TFrmHelp::showModal()
{
    // Centred on its owner at the size the user left it (the window can be resized, so it
    // is not brought back to the size its layout asks for).
    if (parentWidget()) {
        winId();
        QRect frame = frameGeometry();
        frame.moveCenter(parentWidget()->frameGeometry().center());
        move(frame.topLeft());
    }
    exec();
}

void TFrmHelp::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmHelp::FormShow()
{
    {
        const QSignalBlocker quiet(m_group1);
        m_group1->setCurrentRow(0);
    }
    m_pageControl->setCurrentIndex(0);
    m_baslik->setText(QString::fromUtf8(kTopicTable[0].banner).trimmed());
    const QString failure = load(0);
    // The window is still coming up: the message waits until it shows.
    if (!failure.isEmpty())
        QTimer::singleShot(0, this, [this, failure] { messages::error(this, failure); });
}

void TFrmHelp::selectTopic(int topic)
{
    if (topic < 0 || topic >= kTopics)
        return;
    if (m_group1->currentRow() != topic) {
        const QSignalBlocker quiet(m_group1);
        m_group1->setCurrentRow(topic);
    }
    m_pageControl->setCurrentIndex(topic);
    m_baslik->setText(QString::fromUtf8(kTopicTable[topic].banner));
    const QString failure = load(topic);
    if (!failure.isEmpty())
        messages::error(this, failure);
}

int TFrmHelp::currentTopic() const
{
    return m_pageControl->currentIndex();
}

QString TFrmHelp::topicFile(int topic)
{
    return QDir(helpFolder()).filePath(QString::fromLatin1(kTopicTable[topic].file));
}

QString TFrmHelp::load(int topic)
{
    const QString path = topicFile(topic);
    const QFileInfo info(path);
    QString reason;
    QByteArray bytes;
    if (!info.exists()) {
        reason = QStringLiteral("Dosya bulunamadı.");
    } else if (!info.isFile()) {
        reason = QStringLiteral("Bu ad bir dosyanın değil, bir klasörün adı.");
    } else {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError)
            reason = QStringLiteral("Dosya okunamadı.");
    }
    if (!reason.isEmpty()) {
        return QStringLiteral("\"%1\" yardım dosyası açılamadı.\n%2\n\n%3")
            .arg(info.fileName(), QDir::toNativeSeparators(path), reason);
    }
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString html = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
    QTextBrowser *viewer = m_pages[topic];
    viewer->setSearchPaths({helpFolder()});
    viewer->setHtml(html);
    return {};
}

void TFrmHelp::followLink(int topic, const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(url);
        return;
    }
    const QString file = url.fileName();
    if (file.isEmpty()) {
        m_pages[topic]->scrollToAnchor(url.fragment());
        return;
    }
    for (int i = 0; i < kTopics; ++i) {
        if (file.compare(QString::fromLatin1(kTopicTable[i].file), Qt::CaseInsensitive) == 0) {
            selectTopic(i);
            if (url.hasFragment())
                m_pages[i]->scrollToAnchor(url.fragment());
            return;
        }
    }
}
