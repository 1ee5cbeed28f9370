#pragma once

#include <QComboBox>

// `ListLkz`: the country code written with each finish. A free-text field until
// entries are loaded; then a pick list of the loaded entries only.
class TCountryCodeBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TCountryCodeBox(QWidget *parent = nullptr);

    // Loads the entries of the country-code file; a missing file changes nothing.
    void LoadCountryCodes(const QString &path);
    QStringList Entries() const;

    // Drops down ten entries below the box (fewer where the screen ends
    // sooner), above it only where not even a few fit below.
    void showPopup() override;
};
