#pragma once

#include <QString>
#include <optional>

namespace tav {

enum class PromptIcon { None, Critical, Information, Exclamation, Question };

// Every message box, question, input box and file dialog goes through this interface.
// The widget implementation lives in the UI library; tests use a scripted one.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text, const QString& title, PromptIcon icon) = 0;
    // True for Yes. No is the default answer (Enter), since Yes overwrites board data.
    virtual bool askYesNo(const QString& text, const QString& title, PromptIcon icon) = 0;
    // Empty optional when the operator cancels.
    virtual std::optional<QString> inputText(const QString& prompt, const QString& title,
                                             const QString& initial = {}) = 0;
    // The same for a password: the characters typed are not shown.
    virtual std::optional<QString> inputSecret(const QString& prompt, const QString& title) {
        return inputText(prompt, title);
    }
    // Empty text when the operator cancels.
    virtual QString openFileName(const QString& title, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& dir,
                                 const QString& filter) = 0;
};

} // namespace tav
