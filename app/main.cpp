#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    rv7342::Form2 window(QCoreApplication::applicationDirPath());
    window.show();
    // Data files named on the command line, as a file manager's "Open With" passes them.
    window.OpenDataFiles(QCoreApplication::arguments().mid(1));
    return app.exec();
}
