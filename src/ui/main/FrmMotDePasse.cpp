#include "ui/main/FrmMotDePasse.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/settings/Variant.h"
#include "core/translation/Texts.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace tav {

FrmMotDePasse::FrmMotDePasse(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmMotDePasse"));
    TxtPWD = new QLineEdit(this);
    TxtPWD->setObjectName(QStringLiteral("TxtPWD"));
    TxtPWD->setEchoMode(QLineEdit::Password);
    TxtPWD->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    TxtPWD->setMinimumWidth(220);
    // The prompt is the window title; it is repeated above the box, where it can be read.
    auto* prompt = new QLabel(this);
    prompt->setObjectName(QStringLiteral("prompt"));
    prompt->setBuddy(TxtPWD);
    // OK does what Enter does; Cancel (or Esc) closes without a password. Neither is a default
    // button: Enter belongs to the box, so the password is checked once.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const auto& [name, text] : {std::pair{"ok", "OK"}, std::pair{"cancel", "Cancel"}}) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this,
                qstrcmp(name, "ok") == 0 ? &FrmMotDePasse::TxtPWD_Enter : &QDialog::reject);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(TxtPWD);
    layout->addLayout(buttons);
    connect(TxtPWD, &QLineEdit::returnPressed, this, &FrmMotDePasse::TxtPWD_Enter);

    // Load.
    s_.MotDePasseValide = false;
    ChargerLangueCourante(s_);
    TextLoader(s_, QStringLiteral("FrmMotDePasse")).title(this);
    prompt->setText(windowTitle());
    adjustSize();
    centreOnScreen(this);
}

void FrmMotDePasse::TxtPWD_Enter() {
    if (TxtPWD->text().compare(QString::fromUtf16(kAdminPassword), Qt::CaseInsensitive) == 0) {
        s_.MotDePasseValide = true;
        accept();
        return;
    }
    s_.prompts.message(QStringLiteral("Invalid password."), QStringLiteral("Password"),
                       PromptIcon::Critical);
    TxtPWD->clear();
}

} // namespace tav
