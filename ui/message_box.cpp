#include "ui/message_box.h"

#include "app/error_messages.h"
#include "app/texts.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace zelmora {

namespace {

// Some message boxes (the instructions of "Apri file") have a title longer
// than their text; the window system would cut it in a box that narrow. A
// spacer as wide as the title, in the title bar's bold face, with room for
// the title bar's icon and buttons, keeps it whole.
void widenForTitle(QMessageBox& box, const QString& title) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(title) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

void show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    widenForTitle(box, title);
    box.exec();
}

} // namespace

void QtMessageBoxes::information(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Information, title, text);
}

void QtMessageBoxes::warning(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Warning, title, text);
}

void RunCommand(MessageBoxService& messages, QWidget* parent,
                const std::function<void()>& command) {
    const auto unexpected = [&](const std::string& what) {
        messages.warning(parent, QString::fromUtf8(kProgramName),
                         QString::fromStdString(UnexpectedErrorMessage(what)));
    };
    try {
        command();
    } catch (const RuntimeError& error) {
        messages.warning(parent, QString::fromUtf8(kProgramName),
                         QString::fromStdString(ErrorMessage(error)));
    } catch (const std::exception& error) {
        unexpected(error.what());
    } catch (...) {
        unexpected("eccezione sconosciuta");
    }
}

} // namespace zelmora
