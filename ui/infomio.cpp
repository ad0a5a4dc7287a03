#include "ui/infomio.h"

#include "app/module1.h"
#include "app/texts.h"
#include "ui/colors.h"
#include "ui/desktop.h"
#include "ui/layout.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <cstdint>

namespace zelmora {

namespace {

// The window itself, built afresh at each opening.
class InfoWindow final : public QDialog {
public:
    // What exec() returns when the window closes through "Altre INFO".
    static constexpr int kMoreInfo = QDialog::Accepted + 1;

    explicit InfoWindow(QWidget* parent);

    void setTitle(const QString& title) { title_->setText(title); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text, QRect geometry, std::int32_t color);
    QLabel* addPicture(const char* name, const QString& file, QSize size, QRect geometry);
    void centreOnScreen();

    QLabel* title_ = nullptr;
};

InfoWindow::InfoWindow(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("infomio"));
    MakeFixedWindow(*this, 4275, 3360);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("INFO"));
    // No icon of its own, and none taken over from the main window.
    setWindowIcon(QIcon());

    // Built in tab order, which the focus chain follows.
    addPicture("Picture1", QStringLiteral("speech_info.png"), QSize(32, 32),
               TwipsRect(120, 240, 735, 735));
    title_ =
        addLabel("Label1", QStringLiteral("Tesmi"), TwipsRect(1200, 120, 3015, 375), 0x000000C0);
    title_->setFont(SansFont(8.25, true));
    addLabel("Label2", QStringLiteral("Gli autori di Zelmora, 2004-2026"),
             TwipsRect(1200, 480, 3015, 375), 0x00000080);
    addLabel("Label4", QStringLiteral("www.zelmora.example (sito)"),
             TwipsRect(1200, 840, 3015, 375), 0x00800000);
    auto* ok = MakeButton(this, "OK", QStringLiteral("OK"), TwipsRect(2640, 2640, 1215, 375));
    addPicture("Picture2", QStringLiteral("kitten.jpg"), QSize(125, 118),
               TwipsRect(120, 1320, 1935, 1815));
    auto* more = MakeButton(this, "altreinfo", QStringLiteral("Altre INFO"),
                            TwipsRect(2640, 2040, 1215, 375));

    // Enter presses "OK" unless "Altre INFO" has the focus: a focused button
    // of a dialog takes Enter for itself.
    ok->setDefault(true);
    ok->setFocus();

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(more, &QPushButton::clicked, this, [this] { done(kMoreInfo); });

    centreOnScreen();
}

void InfoWindow::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button, so Esc leaves the window open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void InfoWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    desktop::DropTitleBarIcon(*this);
}

QLabel* InfoWindow::addLabel(const char* name, const QString& text, QRect geometry,
                             std::int32_t color) {
    auto* label = MakeLabel(this, name, geometry, Qt::AlignLeft);
    label->setText(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ColorFromSetting(color));
    label->setPalette(palette);
    return label;
}

QLabel* InfoWindow::addPicture(const char* name, const QString& file, QSize size, QRect geometry) {
    auto* picture = new QLabel(this);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(geometry);
    // At its own size from the top-left corner; whatever does not fit is cut.
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(PicturePixmap(file, size, *this));
    return picture;
}

void InfoWindow::centreOnScreen() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The window's own frame is known only once it is shown: the main
    // window's real one is its measure, and none where none is drawn.
    const QMargins frame = owner ? DrawnFrame(*owner) : WindowFrame(*this);
    QRect outer(QPoint(0, 0), size().grownBy(frame));
    outer.moveCenter(screen->availableGeometry().center());
    // The position of a window includes its frame.
    move(outer.topLeft());
}

} // namespace

Infomio::Infomio(ProgramStarter& starter, MessageBoxService& messages,
                 std::filesystem::path installedGuide)
    : installedGuide_(std::move(installedGuide))
    , starter_(starter)
    , messages_(messages) {}

std::filesystem::path Infomio::installedGuideOfThisProgram() {
    // Through Qt's own conversion, whole in any script on every system.
    const std::filesystem::path programs =
        QFileInfo(QCoreApplication::applicationDirPath()).filesystemAbsoluteFilePath();
    return (programs / kGuideFromProgram).lexically_normal();
}

void Infomio::showModal(QWidget* parent) {
    int result = QDialog::Rejected;
    {
        auto* window = new InfoWindow(parent);
        // The window's first use in the run shows the program's title.
        if (!initialised_) {
            window->setTitle(QString::fromLatin1(kTitleWithVersion));
            initialised_ = true;
        }
        QPointer<InfoWindow> alive(window);
        result = window->exec();
        // Gone before anything else runs (its owner may have taken it along).
        delete alive.data();
    }
    if (result != InfoWindow::kMoreInfo)
        return;

    // The guide beside the phrases, as the user keeps it; where the folder
    // has none, the one installed with the program, whatever the editor.
    RunCommand(messages_, parent, [this, parent] {
        starter_.start({Module1::kReadmeFileName, EditorCall::Missing::Report, installedGuide_},
                       parent);
    });
}

} // namespace zelmora
