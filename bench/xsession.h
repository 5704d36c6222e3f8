#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <sys/types.h>

struct _XDisplay;

// An X server of the benchmark's own (Xvfb) and a minimal window manager on it, so that a
// program's start can be timed from outside the way the user sees it: when its main window
// is mapped, and when its event loop answers.
//
// The window manager maps every window that asks to be mapped, notes when the first
// top-level window becomes mapped, and pings a window with _NET_WM_PING: the toolkit
// answers that message from its event loop, so the echo arrives only once the program is
// free to take input.
namespace bench {

class XSession
{
public:
    XSession();
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Starts the server and takes the window manager's place on it; false with a reason.
    bool start(QString *error);
    QString displayName() const { return m_displayName; }

    // Forgets the windows of an earlier run.
    void reset();
    // Handles events until the first top-level window is mapped; the window's id, or 0
    // when `timeoutMs` passed or the process `pid` ended first.
    unsigned long waitForMappedWindow(pid_t pid, int timeoutMs);
    // Sends _NET_WM_PING to the window and waits until it has answered; false on timeout.
    bool ping(unsigned long window, int timeoutMs);
    // The window's title, as the program set it.
    QString title(unsigned long window);
    // What the window shows now, whole or in a part (window coordinates).
    QImage capture(unsigned long window);
    QImage capture(unsigned long window, const QRect &part);
    // A left click at a point of the window, as the pointer would give it.
    void click(unsigned long window, int x, int y);

private:
    bool handleOne(int timeoutMs);
    unsigned long internAtom(const char *name);

    pid_t m_server = -1;
    QString m_displayName;
    ::_XDisplay *m_display = nullptr;
    unsigned long m_root = 0;
    unsigned long m_wmProtocols = 0;
    unsigned long m_ping = 0;
    unsigned long m_mapped = 0;    // the first top-level window mapped since reset()
    unsigned long m_pingWindow = 0; // the window whose echo is awaited
    bool m_echoed = false;
};

} // namespace bench
