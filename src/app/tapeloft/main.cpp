#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tapeloft v.0.1.5 b for Ironvale"));
    window.resize(880, 625);
    window.show();
    return app.exec();
}
