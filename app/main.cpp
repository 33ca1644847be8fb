#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    rv7342::Form2 window(QCoreApplication::applicationDirPath());
    window.show();
    return app.exec();
}
