#pragma once

// How an operation asks the user something or tells them something while it runs, whoever shows
// it: the window's message boxes, or rinoza-cli on its terminal. Tests answer from a script.

#include <string>
#include <string_view>

namespace rinoza {

// The questions operations ask; a front end may answer some by its own settings (rinoza-cli --yes).
enum class Question {
    CreateFolder, // the destination folder of a copy or move does not exist
    SystemFile,   // a system file is about to be renamed
    Undo,         // the last run is about to be undone
    ChangeFiles,  // the times or attributes of the listed files are about to change
};

enum class Notice { Information, Warning, Error };

class OperationPrompts {
public:
    virtual ~OperationPrompts() = default;

    // Asks a question (UTF-8 text); true goes on.
    virtual bool ask(Question question, std::string_view text) = 0;
    // A message the user sees before the operation goes on.
    virtual void tell(Notice notice, std::string_view text) = 0;
    // A path or name as this front end shows it inside a question or message (valid UTF-8).
    virtual std::string shown(std::string_view bytes) const = 0;
    // Whether the front end answers the question Yes by itself, without asking (rinoza-cli --yes); an
    // operation may then leave out what it would read only to ask it.
    virtual bool answersYes(Question) const { return false; }
};

} // namespace rinoza
