#include "app/CountryCodeBox.h"

#include "timing/CountryCodes.h"

#include <QAbstractItemView>
#include <QProxyStyle>
#include <QScreen>

namespace {

// Styles such as Fusion open a pick list as a popup over the current entry,
// as tall as the screen allows, whatever setMaxVisibleItems asks. This one
// opens it as a drop-down list of the given number of entries below the box.
class DropDownListStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Fewer entries than this below the box are too few to pick from; then the
// list may open above it.
constexpr int FewestRowsBelow = 3;

} // namespace

CountryCodeBox::CountryCodeBox(QWidget *parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("countryCodeBox"));
    setAccessibleName(QStringLiteral("LKZ:"));
    auto *style = new DropDownListStyle;
    style->setParent(this);
    setStyle(style);
    setEditable(true);
    setMaxVisibleItems(10);
    setInsertPolicy(QComboBox::NoInsert);
}

void CountryCodeBox::loadCountryCodes(const QString &path, QString *error)
{
    const QStringList entries = ::loadCountryCodes(path, error);
    if (entries.isEmpty())
        return;
    clear();
    addItems(entries);
    setEditable(false);
    setCurrentIndex(0);
}

void CountryCodeBox::showPopup()
{
    QComboBox::showPopup();
    // Where ten entries do not fit below the box, Qt opens the list above it,
    // over the time display. Below, with as many entries as fit, keeps the
    // display in sight.
    QWidget *list = view()->window();
    const int top = mapToGlobal(QPoint(0, 0)).y();
    if (list->geometry().top() >= top)
        return;
    const int below = top + height();
    const int room = screen()->availableGeometry().bottom() + 1 - below;
    const int frame = list->height() - view()->viewport()->height();
    if (room >= FewestRowsBelow * view()->sizeHintForRow(0) + frame)
        list->setGeometry(list->geometry().left(), below, list->width(), room);
}

QStringList CountryCodeBox::entries() const
{
    QStringList entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}
