#pragma once
#include <QWidget>
#include "i18n/StringTables.h"

#include <functional>

namespace muralto::i18n {
/// Replaces every "#id" marker in the texts of a form and of its controls by the table's string
/// and widens command buttons and check boxes to their new captions, measured with the form's
/// font. Text boxes without a marker are emptied. A control whose id has no string keeps what it
/// had.
///
/// How a form is read:
/// - Its caption is windowTitle().
/// - Its controls are all its descendant objects in findChildren order (creation order, depth
///   first), each captioned by its class:
///   - QLabel: a marked text is replaced and the label then sizes itself to it (adjustSize());
///     it also gets the property kAutoSizeProperty set to true.
///   - QPushButton: a marked text is replaced and the width becomes the measured caption + 120
///     twips, at least 1145 twips.
///   - QCheckBox, QRadioButton: a marked text is replaced and the width becomes the measured
///     caption + 300 twips (room for the box).
///   - QLineEdit: a marked text is replaced; any other text is emptied. The editor inside a
///     spin box or combo box is part of that control and is left alone.
///   - QTabBar (a QTabWidget's bar is its child): each tab's marked tabText, then its marked
///     tabToolTip, is replaced.
///   - QAction whose parent is a QMenu: an item whose objectName() is a separator name
///     (isSeparatorName) becomes a separator with the text "-"; otherwise a marked text is
///     replaced.
///   - Any other widget or action: the class's "title" property counts as its caption and its
///     "text" property as its text; a marked one is replaced. Classes without such a string
///     property are passed over. Other objects (layouts, timers, ...) are no controls.
/// - A marker: the text holds "#", and the id is the leading number of what follows the first
///   "#", read as stored numbers are read. A marked text is replaced as a whole.
/// - Widths are only set where a marker was replaced, with resize(pixels, height()); the height
///   stays. Twips per pixel follow the form's logical DPI (15 at 96 DPI).
/// - A failure in one control leaves that control as it was; the walk goes on.
void CaptionForm(QWidget& form, const StringTable& strings);

/// The width of a caption as the form would show it, in twips.
using MeasureCaption = std::function<double(const QString& caption)>;

/// How a form measures its captions and converts twips to pixels.
struct FormMetrics {
    MeasureCaption captionWidth;
    double twipsPerPixel = 15.0;
};

/// The form's own metrics: its font's advance of the caption as written (with its "&"), and its
/// logical DPI.
FormMetrics formMetrics(const QWidget& form);

/// CaptionForm with the given measurement instead of the form's own.
void CaptionForm(QWidget& form, const StringTable& strings, const FormMetrics& metrics);

/// The dynamic property set on a label that was captioned: it sizes itself to its caption.
inline constexpr char kAutoSizeProperty[] = "autoSize";
}  // namespace muralto::i18n
