#pragma once

#include <QString>

#include <iterator>
#include <initializer_list>

class QObject;
class QTabWidget;
class QWidget;

namespace tav {

struct AppState;

// Sets the visible caption of a control: a group box's title, a label's or a button's
// (push, check, option) text, a menu's title, an action's text, a window's caption.
void setCaption(QObject* control, const QString& text);

// Loads the captions of one window from its section of "langue.ini". A missing file,
// section or key gives the empty caption; the built-in caption is never kept.
class TextLoader {
public:
    // Section = window name + LangueCourante ("FrmVisualisationFlux" + "En").
    TextLoader(const AppState& state, const QString& window);
    // Explicit file and section (for texts always taken from one language's section).
    TextLoader(QString langueIni, QString section);

    const QString& section() const { return section_; }
    QString text(const QString& key) const;

    // Window caption from "titre".
    void title(QWidget* window) const;
    // Caption of one control from the given key.
    void caption(QObject* control, const QString& key) const;
    // Caption of each control from the key named like the control (its objectName;
    // names match keys without regard to case: BoutonValider, CheckEnregistrement...).
    void named(std::initializer_list<QObject*> controls) const;

    // Member i of an array for i = first..last gets the key prefix + i ("grplabel_" + 3).
    // Indices beyond the array and null members are skipped.
    template <class Array>
    void family(const Array& controls, const QString& prefix, int first, int last) const {
        for (int i = first; i <= last; ++i) {
            if (i >= 0 && i < std::ssize(controls))
                caption(controls[i], prefix + QString::number(i));
        }
    }
    // The whole array, from member 0.
    template <class Array>
    void family(const Array& controls, const QString& prefix) const {
        family(controls, prefix, 0, static_cast<int>(std::ssize(controls)) - 1);
    }

    // Tab captions i = first..last of a tab control from prefix + i ("ongletpilotage_" + 2).
    void tabs(QTabWidget* tabs, const QString& prefix, int first, int last) const;

private:
    QString file_;
    QString section_;
};

} // namespace tav
