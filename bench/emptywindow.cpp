// The floor under every start-up figure: a Qt Widgets program that shows an empty main
// window and runs its event loop. bench_startup times it the way it times the program.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1280, 800);
    window.showMaximized();
    return app.exec();
}
