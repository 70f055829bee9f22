#pragma once

#include "core/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tav::test {

// Records every prompt. Answers come from queues filled by the test; a prompt whose kind has
// no scripted answer (or any prompt when strict) fails the running test.
class ScriptedPrompts final : public Prompts {
public:
    struct Shown {
        QString kind; // "message", "yesno", "input", "secret", "open", "save"
        QString text;
        QString title;
        PromptIcon icon = PromptIcon::None;
    };

    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title,
                                     const QString& initial) override;
    std::optional<QString> inputSecret(const QString& prompt, const QString& title) override;
    QString openFileName(const QString& title, const QString& dir, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& dir, const QString& filter) override;

    // Scripted answers, taken in order.
    QList<bool> yesNoAnswers;
    QList<std::optional<QString>> inputAnswers;
    QStringList fileAnswers;
    // When false, plain messages are accepted without being scripted (they are still recorded).
    bool messagesAreUnexpected = false;

    QList<Shown> shown;
    QStringList messageTexts() const;
    void clear() { shown.clear(); }
    void unexpected(const QString& kind, const QString& text);
};

} // namespace tav::test
