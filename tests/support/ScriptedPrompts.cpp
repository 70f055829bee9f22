#include "support/ScriptedPrompts.h"

#include <QTest>

namespace tav::test {

void ScriptedPrompts::unexpected(const QString& kind, const QString& text) {
    QTest::qFail(qPrintable(QStringLiteral("unexpected %1 prompt: %2").arg(kind, text)), __FILE__,
                 __LINE__);
}

void ScriptedPrompts::message(const QString& text, const QString& title, PromptIcon icon) {
    shown.push_back({QStringLiteral("message"), text, title, icon});
    if (messagesAreUnexpected) unexpected(QStringLiteral("message"), text);
}

namespace {

// The next queued answer; `none` and a failure when the queue is empty.
template <typename T, typename Queue>
T next(ScriptedPrompts& p, Queue& queue, const QString& kind, const QString& text, T none) {
    if (!queue.isEmpty()) return queue.takeFirst();
    p.unexpected(kind, text);
    return none;
}

} // namespace

bool ScriptedPrompts::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    shown.push_back({QStringLiteral("yesno"), text, title, icon});
    return next(*this, yesNoAnswers, QStringLiteral("yes/no"), text, false);
}

std::optional<QString> ScriptedPrompts::inputText(const QString& prompt, const QString& title,
                                                  const QString&) {
    shown.push_back({QStringLiteral("input"), prompt, title, PromptIcon::None});
    return next(*this, inputAnswers, QStringLiteral("input"), prompt, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::inputSecret(const QString& prompt, const QString& title) {
    shown.push_back({QStringLiteral("secret"), prompt, title, PromptIcon::None});
    return next(*this, inputAnswers, QStringLiteral("input"), prompt, std::optional<QString>());
}

QString ScriptedPrompts::openFileName(const QString& title, const QString&, const QString&) {
    shown.push_back({QStringLiteral("open"), {}, title, PromptIcon::None});
    return next(*this, fileAnswers, QStringLiteral("open file"), title, QString());
}

QString ScriptedPrompts::saveFileName(const QString& title, const QString&, const QString&) {
    shown.push_back({QStringLiteral("save"), {}, title, PromptIcon::None});
    return next(*this, fileAnswers, QStringLiteral("save file"), title, QString());
}

QStringList ScriptedPrompts::messageTexts() const {
    QStringList out;
    for (const auto& s : shown)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}

} // namespace tav::test
