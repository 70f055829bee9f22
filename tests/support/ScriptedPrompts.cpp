#include "support/ScriptedPrompts.h"

#include <QTest>

namespace tav::test {

void ScriptedPrompts::unexpected(const QString& kind, const QString& text) {
    QTest::qFail(qPrintable(QStringLiteral("unexpected %1 prompt: %2").arg(kind, text)), __FILE__,
                 __LINE__);
}

void ScriptedPrompts::message(const QString& text, const QString& title, PromptIcon icon) {
    shown.push_back({QStringLiteral("message"), text, title, icon});
    if (messagesAreUnexpected)
        unexpected(QStringLiteral("message"), text);
}

bool ScriptedPrompts::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    shown.push_back({QStringLiteral("yesno"), text, title, icon});
    if (yesNoAnswers.isEmpty()) {
        unexpected(QStringLiteral("yes/no"), text);
        return false;
    }
    return yesNoAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompts::inputText(const QString& prompt, const QString& title,
                                                  const QString&) {
    shown.push_back({QStringLiteral("input"), prompt, title, PromptIcon::None});
    if (inputAnswers.isEmpty()) {
        unexpected(QStringLiteral("input"), prompt);
        return std::nullopt;
    }
    return inputAnswers.takeFirst();
}

QString ScriptedPrompts::openFileName(const QString& title, const QString&, const QString&) {
    shown.push_back({QStringLiteral("open"), {}, title, PromptIcon::None});
    if (fileAnswers.isEmpty()) {
        unexpected(QStringLiteral("open file"), title);
        return {};
    }
    return fileAnswers.takeFirst();
}

QString ScriptedPrompts::saveFileName(const QString& title, const QString&, const QString&) {
    shown.push_back({QStringLiteral("save"), {}, title, PromptIcon::None});
    if (fileAnswers.isEmpty()) {
        unexpected(QStringLiteral("save file"), title);
        return {};
    }
    return fileAnswers.takeFirst();
}

QStringList ScriptedPrompts::messageTexts() const {
    QStringList out;
    for (const auto& s : shown)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}

} // namespace tav::test
