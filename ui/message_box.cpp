#include "ui/message_box.h"

#include "app/error_messages.h"
#include "ui/qt_strings.h"

#include <QMessageBox>

namespace zelmora {

namespace {

// Some message boxes (the instructions of "Apri file") have long titles;
// without this the narrow box cuts them.
void widenForTitle(QMessageBox& box, const QString& title) {
    const int titleWidth = box.fontMetrics().horizontalAdvance(title) + 120;
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }")
                          .arg(std::max(0, titleWidth - 80)));
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

void ReportError(MessageBoxService& messages, QWidget* parent, const RuntimeError& error) {
    messages.warning(parent, QStringLiteral("Zelmora"), ToQString(ErrorMessage(error)));
}

void RunCommand(MessageBoxService& messages, QWidget* parent,
                const std::function<void()>& command) {
    try {
        command();
    } catch (const RuntimeError& error) {
        ReportError(messages, parent, error);
    } catch (const std::exception& error) {
        messages.warning(parent, QStringLiteral("Zelmora"),
                         ToQString(UnexpectedErrorMessage(error.what())));
    } catch (...) {
        messages.warning(parent, QStringLiteral("Zelmora"),
                         ToQString(UnexpectedErrorMessage("eccezione sconosciuta")));
    }
}

} // namespace zelmora
