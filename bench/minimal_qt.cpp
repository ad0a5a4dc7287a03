// zelmora-minimal-qt: the floor for the start-up benchmark, one label in one
// window, built with the same compiler flags and Qt as the program.
//
// Sizes and places are fixed, as in the program's own window: a layout would
// measure the text, and so load the font, before the window shows, which the
// program only does when it first paints.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimo"));
    window.setFixedSize(489, 273);
    auto* label =
        new QLabel(QStringLiteral("Chi semina pazienza raccoglie giornate più lunghe."), &window);
    label->setGeometry(16, 32, 457, 185);
    window.show();
    return QApplication::exec();
}
