#include "ui/form1.h"

#include "app/error_messages.h"
#include "app/phrase_commands.h"
#include "app/text_encoding.h"
#include "app/texts.h"
#include "runtime/platform.h"
#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/desktop.h"
#include "ui/dialog.h"
#include "ui/layout.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QToolTip>
#include <algorithm>

namespace zelmora {

namespace {

// Shows the busy pointer while a scan of the phrase file runs.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// The phrase as the label shows it: decoded, one line per line.
QString displayText(const std::string& phraseBytes) {
    return QString::fromStdString(PhraseForDisplay(phraseBytes));
}

QString withoutTrailingEmptyLines(QString text) {
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

// The whole phrase as a tooltip that stays inside `room`: its lines broken
// between words, or anywhere in a word wider than the room, and cut with an
// ellipsis where the room's height ends. Given as rich text, so that nothing
// in the phrase is taken for markup, with each line kept as it was broken.
QString tooltipText(const QString& text, const QFont& font, QSize room) {
    const QFontMetrics metrics(font);
    const qsizetype most = std::max(1, room.height() / std::max(1, metrics.lineSpacing()));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid() && lines.size() <= most;
             line = layout.createLine()) {
            line.setLineWidth(room.width());
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (lines.size() > most)
            break;
    }
    if (lines.size() > most) {
        lines.resize(most);
        const QString ellipsis(QChar(0x2026));
        QString& last = lines.last();
        while (!last.isEmpty() && metrics.horizontalAdvance(last + ellipsis) > room.width())
            last.chop(1);
        last += ellipsis;
    }
    return QStringLiteral("<p style=\"white-space:pre\">") +
           lines.join(QLatin1Char('\n')).toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace

Form1::Form1(Module1& state, std::filesystem::path directory, WindowServices services,
             QWidget* parent)
    : QWidget(parent)
    , state_(state)
    , directory_(std::move(directory))
    , services_(services)
    , info_(services.starter, services.messages, Infomio::installedGuideOfThisProgram()) {
    setObjectName(QStringLiteral("Form1"));
    MakeFixedWindow(*this, 7335, 4095);
    // A fixed place on the screen, where it fits.
    PlaceOnScreen(*this, kMainWindowPlace);
    setWindowIcon(Picture(QStringLiteral("butterfly.png")));
    setAutoFillBackground(true);

    addLabels();
    addButtons();
    addInfoPicture();
    addCopyAction();
    addPhraseMenu();

    setWindowTitle(QString::fromLatin1(kTitleWithVersion));
    showPhrase();
    showPosition();
    applyColors();
}

Form1::~Form1() = default;

void Form1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        popUpPhraseMenu();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused ? focused : okButton_)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // The phrase's label keeps its size and cuts what does not fit; the whole
    // phrase is then its tooltip. Whether it fits is worked out only when a
    // tooltip is asked for: laying the text out at start would delay the
    // window.
    if (watched == label1_ && event->type() == QEvent::ContextMenu)
        // The tick says what is there now: the desktop's settings, or the
        // user, may have changed it since.
        signIn_->setChecked(desktop::StartsAtSignIn());
    if (const QString hint = noPhraseHint();
        watched == label1_ && event->type() == QEvent::ToolTip && !hint.isEmpty()) {
        // Each sentence on a line of its own, the file's name broken only
        // where the screen ends.
        const QPoint pointer = static_cast<QHelpEvent*>(event)->globalPos();
        const QSize room =
            label1_->screen() ? label1_->screen()->availableGeometry().size() : QSize(640, 480);
        QToolTip::showText(pointer, tooltipText(hint, QToolTip::font(), room - QSize(48, 48)),
                           label1_);
        return true;
    }
    if (watched == label1_ && event->type() == QEvent::ToolTip) {
        const QString whole = withoutTrailingEmptyLines(label1_->text());
        const QRect room = label1_->contentsRect();
        const QRect needed = label1_->fontMetrics().boundingRect(
            room, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, whole);
        const QScreen* screen = label1_->screen();
        if ((needed.height() > room.height() || needed.width() > room.width()) && screen) {
            // The tooltip stands below the pointer or above it, never over
            // it (it would close at once): its frame, its margins and the
            // pointer stay outside the room its text has. Its lines stay
            // short enough to be read at a glance.
            constexpr int kAround = 48;
            constexpr int kWidest = 640;
            const QPoint pointer = static_cast<QHelpEvent*>(event)->globalPos();
            const QRect screenArea = screen->availableGeometry();
            const int tallest =
                std::max(pointer.y() - screenArea.top(), screenArea.bottom() - pointer.y());
            const QSize room(std::min(screenArea.width() - kAround, kWidest), tallest - kAround);
            QToolTip::showText(pointer, tooltipText(whole, QToolTip::font(), room), label1_);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::addLabels() {
    // The phrase: 12 pt bold, each line centred from the top, wrapped
    // between words and cut at the bottom.
    label1_ = MakeLabel(this, "Label1", TwipsRect(240, 480, 6855, 2775), Qt::AlignHCenter);
    label1_->setFont(SansFont(12, true));
    label1_->installEventFilter(this);
    // The position text, in a dark blue nothing changes.
    label2_ = MakeLabel(this, "Label2", TwipsRect(240, 3600, 855, 255), Qt::AlignLeft);
    QPalette positionPalette = label2_->palette();
    positionPalette.setColor(QPalette::WindowText, ColorFromSetting(0x00C00000));
    label2_->setPalette(positionPalette);
}

void Form1::addButtons() {
    // The push buttons, in their tab order (which is not their order on
    // screen: "Casuale" comes before "Aggiorna").
    const struct {
        const char* name;
        QString caption;
        QRect place;
        void (Form1::*command)();
    } buttons[] = {
        {"OKButton", QStringLiteral("OK"), TwipsRect(5160, 3480, 975, 495), &Form1::end},
        {"aprifile", QStringLiteral("Apri file"), TwipsRect(1200, 3480, 975, 495),
         &Form1::openPhraseFile},
        {"ancora", QStringLiteral("Casuale"), TwipsRect(3840, 3480, 975, 495),
         &Form1::drawAtRandom},
        {"aggiorna", QStringLiteral("Aggiorna"), TwipsRect(2520, 3480, 975, 495), &Form1::recount},
        {"opzioni", QString(), TwipsRect(6360, 3600, 300, 300), &Form1::openColorsDialog},
    };
    QPushButton* previous = nullptr;
    for (const auto& design : buttons) {
        auto* button = MakeButton(this, design.name, design.caption, design.place);
        connect(button, &QPushButton::clicked, this, design.command);
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
    okButton_ = findChild<QPushButton*>(QStringLiteral("OKButton"));
    auto* opzioni = findChild<QPushButton*>(QStringLiteral("opzioni"));
    opzioni->setIcon(Picture(QStringLiteral("crayons.png")));
    opzioni->setIconSize(QSize(16, 16));
    opzioni->setToolTip(QStringLiteral("scegli i colori"));
    opzioni->setAccessibleName(opzioni->toolTip());
    opzioni->setCursor(Qt::PointingHandCursor);

    // "OK" is the default button: Enter presses it unless another button has
    // the focus (see keyPressEvent). Esc does nothing: there is no cancel.
    okButton_->setDefault(true);
    okButton_->setFocus();
}

void Form1::addInfoPicture() {
    // The info picture in its sunken frame: a mouse click opens the info
    // window, and it never takes the focus.
    auto* image1 = new ClickableLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(TwipsRect(6840, 3600, 300, 300));
    image1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    image1->setLineWidth(2);
    image1->setAlignment(Qt::AlignCenter);
    image1->setPixmap(PicturePixmap(QStringLiteral("info.png"), QSize(16, 16), *this));
    image1->setFocusPolicy(Qt::NoFocus);
    image1->setToolTip(QStringLiteral("INFO"));
    image1->setAccessibleName(image1->toolTip());
    image1->setCursor(Qt::PointingHandCursor);
    connect(image1, &ClickableLabel::clicked, this, &Form1::openInfo);
}

void Form1::addCopyAction() {
    // Ctrl+C anywhere in the window, or the phrase's context menu, copies the
    // phrase as plain text, one line per line.
    auto* copy = new QAction(QStringLiteral("Copia la frase"), this);
    copy->setObjectName(QStringLiteral("copiaFrase"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    addAction(copy);
    label1_->addAction(copy);
    label1_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copy, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(label1_->text()); });
}

void Form1::end() {
    close();
}

void Form1::openPhraseFile() {
    RunCommand(services_.messages, this, [this] {
        state_.LineText = kInstructions;
        services_.messages.information(this, QString::fromUtf8(kInstructionsTitle),
                                       QString::fromStdString(state_.LineText));
        state_.LineText = EditorCommandLine(state_.PhraseFile);
        services_.starter.start({state_.PhraseFile, EditorCall::Missing::CreateEmpty, {}}, this);
    });
}

void Form1::recount() {
    RunCommand(services_.messages, this, [this] {
        {
            BusyPointer busy;
            Recount(state_, directory_);
        }
        showPosition();
    });
}

void Form1::drawAtRandom() {
    RunCommand(services_.messages, this, [this] {
        bool drawn = false;
        {
            BusyPointer busy;
            drawn = DrawAtRandom(state_, directory_, services_.random);
        }
        // With no other phrase to draw, the window stays as it is.
        if (!drawn)
            return;
        showPhrase();
        showPosition();
    });
}

void Form1::openColorsDialog() {
    RunCommand(services_.messages, this, [this] {
        Dialog dialog(directory_, services_.messages, services_.picker, this);
        if (const std::optional<ColorChoice> chosen = dialog.choose()) {
            state_.ForeColorSetting = chosen->foreColor;
            state_.BackColorSetting = chosen->backColor;
            applyColors();
        }
    });
}

void Form1::openInfo() {
    RunCommand(services_.messages, this, [this] { info_.showModal(this); });
}

void Form1::addPhraseMenu() {
    auto* today = new QAction(QStringLiteral("Frase del giorno"), this);
    today->setObjectName(QStringLiteral("fraseDelGiorno"));
    connect(today, &QAction::triggered, this, &Form1::showTodaysPhrase);

    signIn_ = new QAction(QStringLiteral("Mostra all\u2019accesso"), this);
    signIn_->setObjectName(QStringLiteral("mostraAllAccesso"));
    signIn_->setCheckable(true);
    // Set from what is there when the menu opens; a click then asks for
    // the other state, and the tick follows what could be done.
    connect(signIn_, &QAction::triggered, this, &Form1::setStartAtSignIn);

    auto* folder = new QAction(QStringLiteral("Apri la cartella delle frasi"), this);
    folder->setObjectName(QStringLiteral("apriCartella"));
    connect(folder, &QAction::triggered, this, &Form1::openPhraseFolder);

    label1_->addActions({today, signIn_, folder});
}

void Form1::contextMenuEvent(QContextMenuEvent* event) {
    // The menu key and Shift+F10 anywhere in the window open the phrase's
    // menu; a right click elsewhere opens nothing.
    if (event->reason() == QContextMenuEvent::Keyboard)
        popUpPhraseMenu();
    else
        QWidget::contextMenuEvent(event);
}

void Form1::popUpPhraseMenu() {
    const QPoint at = label1_->rect().center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, label1_->mapToGlobal(at));
    QApplication::sendEvent(label1_, &menu);
}

std::filesystem::path Form1::phraseFolder() const {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (ec)
        throw RuntimeError(kPathFileAccess, platform::PathText(directory_ / state_.PhraseFile),
                           Cause::WorkingFolderGone);
    return directory_.empty() ? here : (here / directory_).lexically_normal();
}

QString Form1::noPhraseHint() const {
    const bool missing = !state_.PhraseCount && state_.PhraseText == kNoPhraseText;
    const bool none = state_.PhraseCount && *state_.PhraseCount == 0;
    if (!missing && !none)
        return {};
    const QString file = QString::fromStdString(
        DecodePhraseBytes(platform::PathText(directory_ / state_.PhraseFile)));
    return QStringLiteral("Nessuna frase in \u201C%1\u201D.\nPremi \u00ABApri file\u00BB per "
                          "scriverne una.")
        .arg(file);
}

void Form1::showTodaysPhrase() {
    RunCommand(services_.messages, this, [this] {
        const auto showAll = [this] {
            showPhrase();
            showPosition();
        };
        try {
            BusyPointer busy;
            ShowTodaysPhrase(state_, directory_, services_.clock.dayOfYear());
        } catch (...) {
            // The count may have changed even so (an emptied file).
            showAll();
            throw;
        }
        showAll();
    });
}

void Form1::setStartAtSignIn(bool on) {
    RunCommand(services_.messages, this, [this, on] {
        try {
            desktop::SetStartAtSignIn(on, phraseFolder(), state_.HoldDays);
        } catch (const RuntimeError& error) {
            signIn_->setChecked(desktop::StartsAtSignIn());
            services_.messages.warning(this, QString::fromUtf8(kProgramName),
                                       QString::fromStdString(SignInFailureMessage(error, on)));
            return;
        }
        signIn_->setChecked(desktop::StartsAtSignIn());
    });
}

void Form1::openPhraseFolder() {
    RunCommand(services_.messages, this,
               [this] { services_.starter.openFolder(phraseFolder(), this); });
}

void Form1::showPhrase() {
    label1_->setText(displayText(state_.PhraseText));
}

void Form1::showPosition() {
    label2_->setText(QString::fromStdString(PositionText(state_.CurrentIndex, state_.PhraseCount)));
}

void Form1::applyColors() {
    QPalette phrasePalette = label1_->palette();
    phrasePalette.setColor(QPalette::WindowText, ColorFromSetting(state_.ForeColorSetting));
    label1_->setPalette(phrasePalette);

    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, ColorFromSetting(state_.BackColorSetting));
    setPalette(windowPalette);
}

} // namespace zelmora
