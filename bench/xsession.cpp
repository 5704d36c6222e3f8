#include "xsession.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace bench {

namespace {

double nowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// A display number nobody uses: neither a lock file nor a socket of a running server.
int freeDisplay()
{
    for (int n = 91; n < 200; ++n)
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) &&
            !QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            return n;
    return -1;
}

// A window manager that lost the race for the root window is told so by an error; the
// handler only notes it.
bool g_otherManager = false;
int noteError(Display *, XErrorEvent *event)
{
    if (event->error_code == BadAccess)
        g_otherManager = true;
    return 0;
}

bool processAlive(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    if (m_display)
        XCloseDisplay(m_display);
    if (m_server > 0) {
        kill(m_server, SIGTERM);
        int status = 0;
        waitpid(m_server, &status, 0);
    }
}

bool XSession::start(QString *error)
{
    const int number = freeDisplay();
    if (number < 0) {
        *error = QStringLiteral("no free display number");
        return false;
    }
    m_displayName = QStringLiteral(":%1").arg(number);
    const QByteArray display = m_displayName.toLatin1();
    const char *argv[] = {"Xvfb", display.constData(), "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                          "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&m_server, "Xvfb", &actions, nullptr, const_cast<char **>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        m_server = -1;
        *error = QStringLiteral("Xvfb could not be started: %1").arg(QString::fromLocal8Bit(strerror(rc)));
        return false;
    }
    const double deadline = nowMs() + 10000;
    while (!m_display && nowMs() < deadline && processAlive(m_server)) {
        m_display = XOpenDisplay(display.constData());
        if (!m_display)
            QThread::msleep(20);
    }
    if (!m_display) {
        *error = QStringLiteral("Xvfb on %1 did not accept a connection").arg(m_displayName);
        return false;
    }
    XSetErrorHandler(noteError);
    m_root = DefaultRootWindow(m_display);
    m_wmProtocols = internAtom("WM_PROTOCOLS");
    m_ping = internAtom("_NET_WM_PING");
    XSelectInput(m_display, m_root, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(m_display, False);
    if (g_otherManager) {
        *error = QStringLiteral("another window manager runs on %1").arg(m_displayName);
        return false;
    }
    return true;
}

unsigned long XSession::internAtom(const char *name)
{
    return XInternAtom(m_display, name, False);
}

void XSession::reset()
{
    while (handleOne(0)) {
    }
    m_mapped = 0;
    m_pingWindow = 0;
    m_echoed = false;
}

bool XSession::handleOne(int timeoutMs)
{
    if (!XPending(m_display)) {
        const int fd = ConnectionNumber(m_display);
        fd_set read;
        FD_ZERO(&read);
        FD_SET(fd, &read);
        timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        if (select(fd + 1, &read, nullptr, nullptr, &tv) <= 0)
            return false;
        if (!XPending(m_display))
            return false;
    }
    XEvent event;
    XNextEvent(m_display, &event);
    switch (event.type) {
    case MapRequest:
        XMapWindow(m_display, event.xmaprequest.window);
        XFlush(m_display);
        break;
    case ConfigureRequest: {
        // Granted as asked: the program places and sizes its own windows.
        const XConfigureRequestEvent &request = event.xconfigurerequest;
        XWindowChanges changes;
        changes.x = request.x;
        changes.y = request.y;
        changes.width = request.width;
        changes.height = request.height;
        changes.border_width = request.border_width;
        changes.sibling = request.above;
        changes.stack_mode = request.detail;
        XConfigureWindow(m_display, request.window, unsigned(request.value_mask), &changes);
        XFlush(m_display);
        break;
    }
    case MapNotify:
        if (!m_mapped && !event.xmap.override_redirect && event.xmap.event == m_root)
            m_mapped = event.xmap.window;
        break;
    case ClientMessage:
        if (event.xclient.message_type == m_wmProtocols && event.xclient.format == 32 &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == m_ping &&
            static_cast<unsigned long>(event.xclient.data.l[2]) == m_pingWindow)
            m_echoed = true;
        break;
    default:
        break;
    }
    return true;
}

unsigned long XSession::waitForMappedWindow(pid_t pid, int timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    while (!m_mapped) {
        const double left = deadline - nowMs();
        if (left <= 0 || !processAlive(pid))
            return 0;
        handleOne(int(std::min(left, 50.0)));
    }
    return m_mapped;
}

bool XSession::ping(unsigned long window, int timeoutMs)
{
    // The toolkit echoes a ping as soon as it reads it, but delivers input read in the same
    // batch only afterwards: a second ping, sent once the first has come back, is read only
    // when that input has been handled.
    const double deadline = nowMs() + timeoutMs;
    for (int round = 0; round < 2; ++round) {
        m_pingWindow = window;
        m_echoed = false;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = m_wmProtocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(m_ping);
        event.xclient.data.l[1] = CurrentTime;
        event.xclient.data.l[2] = long(window);
        // With no event mask the message goes to the client that made the window: the program.
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
        while (!m_echoed) {
            const double left = deadline - nowMs();
            if (left <= 0)
                return false;
            handleOne(int(std::min(left, 50.0)));
        }
    }
    return true;
}

QString XSession::title(unsigned long window)
{
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char *data = nullptr;
    QString text;
    if (XGetWindowProperty(m_display, window, internAtom("_NET_WM_NAME"), 0, 1024, False,
                           internAtom("UTF8_STRING"), &type, &format, &items, &after, &data) == Success &&
        data) {
        text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(items));
        XFree(data);
    }
    return text;
}

QImage XSession::capture(unsigned long window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, window, &attributes))
        return {};
    return capture(window, QRect(0, 0, attributes.width, attributes.height));
}

QImage XSession::capture(unsigned long window, const QRect &part)
{
    if (part.isEmpty())
        return {};
    XImage *image = XGetImage(m_display, window, part.x(), part.y(), unsigned(part.width()),
                              unsigned(part.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage out(part.width(), part.height(), QImage::Format_RGB32);
    for (int y = 0; y < part.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            line[x] = QRgb(XGetPixel(image, x, y)) | 0xff000000u;
    }
    XDestroyImage(image);
    return out;
}

void XSession::click(unsigned long window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(m_display, window, m_root, x, y, &rootX, &rootY, &child);
    XEvent event{};
    event.xmotion.type = MotionNotify;
    event.xmotion.window = window;
    event.xmotion.root = m_root;
    event.xmotion.time = CurrentTime;
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.x_root = rootX;
    event.xmotion.y_root = rootY;
    event.xmotion.same_screen = True;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    for (const bool press : {true, false}) {
        event = XEvent{};
        event.xbutton.type = press ? ButtonPress : ButtonRelease;
        event.xbutton.window = window;
        event.xbutton.root = m_root;
        event.xbutton.time = CurrentTime;
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.x_root = rootX;
        event.xbutton.y_root = rootY;
        event.xbutton.state = press ? 0 : Button1Mask;
        event.xbutton.button = Button1;
        event.xbutton.same_screen = True;
        XSendEvent(m_display, window, False, NoEventMask, &event);
    }
    XFlush(m_display);
}

} // namespace bench
