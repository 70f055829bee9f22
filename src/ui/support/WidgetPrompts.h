#pragma once

#include "core/Prompts.h"

class QWidget;

namespace tav {

// Message boxes, questions, input boxes and file dialogs on screen.
class WidgetPrompts final : public Prompts {
public:
    explicit WidgetPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title,
                                     const QString& initial) override;
    std::optional<QString> inputSecret(const QString& prompt, const QString& title) override;
    QString openFileName(const QString& title, const QString& dir, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& dir, const QString& filter) override;

private:
    QWidget* parent_;
};

} // namespace tav
