#pragma once

#include "app/module1.h"
#include "ui/infomio.h"
#include "ui/window_services.h"

#include <QWidget>
#include <filesystem>

class QAction;
class QLabel;
class QPushButton;

namespace zelmora {

// The main window: the phrase on show, its position "index / count", and the
// commands. It keeps no state of its own: everything lives in the program
// state it is given, which its commands read and change.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // Builds the window and shows the program state in it: caption, phrase,
    // position text and colours, taken from `state`. `directory` is where
    // the program's files are (empty: the working folder).
    Form1(Module1& state, std::filesystem::path directory, WindowServices services,
          QWidget* parent = nullptr);
    ~Form1() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's parts, built in this order, which the tab order follows.
    void addLabels();      // the phrase and its position
    void addButtons();     // the push buttons, "OK" the default
    void addInfoPicture(); // the picture that opens the info window
    void addCopyAction();  // Ctrl+C and the phrase's context menu

    void end();              // "OK"
    void openPhraseFile();   // "Apri file"
    void recount();          // "Aggiorna"
    void drawAtRandom();     // "Casuale"
    void openColorsDialog(); // the crayons button
    void openInfo();         // the info picture
    // The phrase's context menu, beside "Copia la frase".
    void addPhraseMenu();
    void showTodaysPhrase();        // "Frase del giorno"
    void setStartAtSignIn(bool on); // "Mostra all'accesso"
    void openPhraseFolder();        // "Apri la cartella delle frasi"
    void popUpPhraseMenu();         // the menu key, Shift+F10
    // The folder of the program's files, as a full path.
    std::filesystem::path phraseFolder() const;
    // Where the program looked when there is no phrase to show, and what to
    // do; empty while there is a phrase.
    QString noPhraseHint() const;
    void showPhrase();
    void showPosition();
    // The phrase's text colour and the window's background, from the state.
    void applyColors();

    Module1& state_;
    std::filesystem::path directory_;
    WindowServices services_;
    Infomio info_;

    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QAction* signIn_ = nullptr;
};

} // namespace zelmora
