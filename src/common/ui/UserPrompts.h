#pragma once

// The one seam through which the program asks or tells the user anything modal. The program
// installs QtUserPrompts; tests install a scripted responder that answers in order and records what
// was asked, so no test ever blocks on a modal dialog.

#include <QString>

class QDialog;
class QWidget;

namespace rinoza {

enum class MsgType { Warning, Error, Information, Confirmation, Custom };
enum class MsgButtons { Ok, OkCancel, YesNo };

// Results as the program compares them.
enum MsgResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message with a sound and the type's title, icon and buttons; returns the button pressed.
    // Enter presses OK if shown, else Yes; Esc presses Cancel if shown, else No, else OK;
    // closing by the title bar returns mrCancel.
    virtual int message(const QString& text, MsgType type, MsgButtons buttons) = 0;

    // A plain message box with OK and no sound (the missing-file note of the name builder).
    virtual void plainMessage(const QString& text) = 0;

    // The folder picker. `directory` is preselected when it names an existing folder; on true it
    // holds the chosen folder.
    virtual bool pickFolder(QWidget* owner, const QString& title, QString& directory) = 0;

    // Shows a modal dialog (the rename confirmation) and returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;

    // Opens a file or folder URL with the desktop; false when nothing could open it. The desktop may
    // answer later: the real prompts start the opener and warn once it has failed (DesktopOpener.h).
    virtual bool openUrl(const QString& url) = 0;

    // A modal text prompt with OK and Cancel, `text` proposed in its field. True for OK, with `text`
    // holding what was typed; false for Cancel, Esc or a close by the title bar, `text` unchanged.
    // Responders that never expect a prompt may leave it: the default answers Cancel.
    virtual bool textPrompt(const QString& caption, const QString& prompt, QString& text);
};

// The prompts in force. Never null: the real dialogs unless a test installed its own.
UserPrompts& prompts();
// Installs p (not owned) and returns the previous one; nullptr restores the real dialogs.
UserPrompts* setPrompts(UserPrompts* p);

// The program's message routine: sound of the type, then the modal message. Returns the button pressed.
int BeepMessageDlg(const QString& text, MsgType type, MsgButtons buttons, int helpContext = 0);

} // namespace rinoza
