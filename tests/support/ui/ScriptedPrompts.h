#pragma once

// A UserPrompts that answers from a script and records every question, for headless widget tests.

#include "common/ui/DesktopOpener.h"
#include "common/ui/UserPrompts.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace rinoza::test {

class ScriptedPrompts : public UserPrompts {
public:
    struct Asked {
        QString text;
        MsgType type;
        MsgButtons buttons;
    };

    ScriptedPrompts() { m_previous = setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(m_previous); }

    // Answers for message(), in order. When the script is empty, the default answer is given
    // (OK for an OK box, the first button otherwise).
    void answer(int result) { m_answers.push_back(result); }
    // Answers for pickFolder(): the folder chosen, or an empty text for a cancel.
    void pickAnswer(const QString& folder) { m_folders.push_back(folder); }
    // Handlers for execDialog(): each gets the dialog and returns its result code.
    void dialogAnswer(std::function<int(QDialog&)> f) { m_dialogs.push_back(std::move(f)); }
    // Answers for textPrompt(): the text typed and OK, or std::nullopt for Cancel. An empty script cancels.
    void textAnswer(std::optional<QString> typed) { m_texts.push_back(std::move(typed)); }

    int message(const QString& text, MsgType type, MsgButtons buttons) override {
        asked.push_back({text, type, buttons});
        if (!m_answers.empty()) {
            int r = m_answers.front();
            m_answers.pop_front();
            return r;
        }
        return buttons == MsgButtons::YesNo ? mrYes : mrOk;
    }
    void plainMessage(const QString& text) override { plain.push_back(text); }
    bool pickFolder(QWidget*, const QString& title, QString& directory) override {
        pickTitles.push_back(title);
        pickStarts.push_back(directory);
        if (m_folders.empty())
            return false;
        QString f = m_folders.front();
        m_folders.pop_front();
        if (f.isEmpty())
            return false;
        directory = f;
        return true;
    }
    int execDialog(QDialog& dialog) override {
        ++dialogsShown;
        if (m_dialogs.empty())
            return QDialog::Rejected;
        auto f = std::move(m_dialogs.front());
        m_dialogs.pop_front();
        return f(dialog);
    }
    bool openUrl(const QString& url) override {
        opened.push_back(url);
        return throughDesktop ? openWithDesktop(url) : openSucceeds;
    }
    bool textPrompt(const QString& caption, const QString& prompt, QString& text) override {
        textPrompts.push_back({caption, prompt, text});
        if (m_texts.empty() || !m_texts.front()) {
            if (!m_texts.empty())
                m_texts.pop_front();
            return false;
        }
        text = *m_texts.front();
        m_texts.pop_front();
        return true;
    }

    struct TextPrompt {
        QString caption;
        QString prompt;
        QString proposed;
    };

    std::vector<Asked> asked;
    std::vector<TextPrompt> textPrompts;
    QStringList plain;
    QStringList pickTitles;
    QStringList pickStarts;
    QStringList opened;
    int dialogsShown = 0;
    bool openSucceeds = true;    // false: as if no application could open what openUrl was given
    bool throughDesktop = false; // true: openUrl starts the desktop's opener, as the program does

private:
    UserPrompts* m_previous = nullptr;
    std::deque<int> m_answers;
    std::deque<QString> m_folders;
    std::deque<std::function<int(QDialog&)>> m_dialogs;
    std::deque<std::optional<QString>> m_texts;
};

} // namespace rinoza::test
