// zelmora-minimal-qt: the floor for the start-up benchmark, one label in one
// window, built with the same compiler flags and Qt as the program.

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimo"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(
        new QLabel(QStringLiteral("Chi semina pazienza raccoglie giornate più lunghe.")));
    window.show();
    return QApplication::exec();
}
