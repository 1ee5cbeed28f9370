#pragma once

#include <QComboBox>

// `countryCodeBox`: the country code written with each finish. A free-text field until
// entries are loaded; then a pick list of the loaded entries only.
class CountryCodeBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CountryCodeBox(QWidget *parent = nullptr);

    // Loads the entries of the country-code file; a missing file changes nothing, a file
    // that cannot be read neither, and *error says why.
    void loadCountryCodes(const QString &path, QString *error = nullptr);
    QStringList entries() const;

    // Drops down ten entries below the box (fewer where the screen ends
    // sooner), above it only where not even a few fit below.
    void showPopup() override;
};
