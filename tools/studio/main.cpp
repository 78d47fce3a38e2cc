// h5800-studio: the desktop application.

#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char **argv)
{
    h5::prepareStudio(argc, argv);
    QApplication application(argc, argv);
    return h5::runStudio(application);
}
