#include "Program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return vk::runProgram(app);
}
