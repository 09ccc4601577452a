// SPDX-License-Identifier: GPL-3.0-or-later
// The anchor for the start-up of the small commands: a Qt program that starts, prints a line and ends.
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << QCoreApplication::applicationName() << Qt::endl;
    return 0;
}
