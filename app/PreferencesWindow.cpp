#include "app/PreferencesWindow.h"

#include "app/FormControls.h"
#include "app/RadioMatrix.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

using FormControls::pushButton;
using FormControls::switchButton;
using FormControls::textField;

namespace {

RadioMatrix* choices(const QString& name, const QString& accessibleName, const QStringList& titles,
                     QWidget* parent)
{
    auto* matrix = new RadioMatrix(titles, Qt::Vertical, parent);
    matrix->setObjectName(name);
    matrix->setAccessibleName(accessibleName);
    for (int tag = 0; tag < titles.size(); ++tag)
        matrix->buttonForTag(tag)->setObjectName(name + QLatin1Char('_') + QString::number(tag));
    return matrix;
}

// A field whose label sits before it; the label names it for screen readers too.
QLabel* labelFor(QWidget* field, const QString& title, QWidget* parent)
{
    auto* label = new QLabel(title, parent);
    label->setBuddy(field);
    field->setAccessibleName(QString(title).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    return label;
}

} // namespace

PreferencesWindow::PreferencesWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(tr("Voranth Preferences"));
    setSizeGripEnabled(false);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(makeServerProgramGroup());
    left->addWidget(makeNewConfigurationGroup());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(makeMasterServerGroup());
    right->addWidget(makeMapImageGroup());
    right->addStretch();
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(makeButtonRow());
}

QWidget* PreferencesWindow::makeServerProgramGroup()
{
    PreferenceControls& c = m_controls;
    auto* box = new QGroupBox(tr("Dedicated server"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(tr("Program in the game directory:"), box));
    c.dedicatedApp =
        choices(QStringLiteral("dedicatedApp"), tr("Dedicated server program"),
                {QStringLiteral("ioq3ded.x86_64"), QStringLiteral("q3ded"), tr("&Other:")}, box);
    layout->addWidget(c.dedicatedApp);
    c.customDedicatedAppName = textField(QStringLiteral("customDedicatedAppName"), box);
    c.customDedicatedAppName->setAccessibleName(tr("Other dedicated server program"));
    c.customDedicatedAppName->setPlaceholderText(tr("name relative to the game directory"));
    auto* custom = new QHBoxLayout;
    custom->addSpacing(24);
    custom->addWidget(c.customDedicatedAppName);
    layout->addLayout(custom);
    c.putTerminalBackSwitch =
        switchButton(QStringLiteral("putTerminalBackSwitch"),
                     tr("Put the &terminal back after starting a server"), box);
    layout->addWidget(c.putTerminalBackSwitch);
    layout->addWidget(new QLabel(tr("Server Hosting:"), box));
    c.serverHosting = choices(
        QStringLiteral("serverHosting"), tr("Server Hosting"),
        {tr("In a terminal (the &default)"), tr("As a &service (restarted after a crash)")}, box);
    layout->addWidget(c.serverHosting);
    c.serverHostingNote = new QLabel(box);
    c.serverHostingNote->setObjectName(QStringLiteral("serverHostingNote"));
    c.serverHostingNote->setWordWrap(true);
    c.serverHostingNote->setContentsMargins(24, 0, 0, 0);
    layout->addWidget(c.serverHostingNote);
    return box;
}

QWidget* PreferencesWindow::makeNewConfigurationGroup()
{
    PreferenceControls& c = m_controls;
    auto* box = new QGroupBox(tr("New configurations"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(tr("Take from the configuration shown:"), box));
    c.preserveServerName =
        switchButton(QStringLiteral("preserveServerName"), tr("Server &name"), box);
    c.preserveWelcomeText =
        switchButton(QStringLiteral("preserveWelcomeText"), tr("&Welcome text"), box);
    c.preserveNetIPAddress =
        switchButton(QStringLiteral("preserveNetIPAddress"), tr("IP &address"), box);
    c.preserveNetPort = switchButton(QStringLiteral("preserveNetPort"), tr("&Port"), box);
    c.preserverPrivateClientsPassword = switchButton(
        QStringLiteral("preserverPrivateClientsPassword"), tr("Private &clients password"), box);
    auto* preserved = new QGridLayout;
    preserved->setContentsMargins(12, 0, 0, 0);
    preserved->addWidget(c.preserveServerName, 0, 0);
    preserved->addWidget(c.preserveWelcomeText, 1, 0);
    preserved->addWidget(c.preserverPrivateClientsPassword, 2, 0);
    preserved->addWidget(c.preserveNetIPAddress, 0, 1);
    preserved->addWidget(c.preserveNetPort, 1, 1);
    layout->addLayout(preserved);

    layout->addWidget(new QLabel(tr("Rcon password:"), box));
    c.rconPasswordGenerationType = choices(
        QStringLiteral("rconPasswordGenerationType"), tr("Rcon password of a new configuration"),
        {tr("&Random"), tr("Cop&y from the configuration shown"), tr("&Empty")}, box);
    c.rconPasswordGenerationType->setContentsMargins(12, 0, 0, 0);
    layout->addWidget(c.rconPasswordGenerationType);
    c.enablePunkBusterByDefault =
        switchButton(QStringLiteral("enablePunkBusterByDefault"), tr("Enable Punk&Buster"), box);
    layout->addWidget(c.enablePunkBusterByDefault);
    return box;
}

QWidget* PreferencesWindow::makeMasterServerGroup()
{
    PreferenceControls& c = m_controls;
    auto* box = new QGroupBox(tr("Master servers"), this);
    auto* layout = new QGridLayout(box);
    c.useDefaultMasterServers = switchButton(QStringLiteral("useDefaultMasterServers"),
                                             tr("Use the game's own &master servers"), box);
    layout->addWidget(c.useDefaultMasterServers, 0, 0, 1, 2);
    for (int i = 0; i < int(c.masterServers.size()); ++i) {
        const QString number = QString::number(i + 1);
        QLineEdit* field = textField(QStringLiteral("masterServer") + number, box);
        c.masterServers[size_t(i)] = field;
        layout->addWidget(labelFor(field, tr("Master server %1:").arg(number), box), i + 1, 0);
        layout->addWidget(field, i + 1, 1);
    }
    layout->setColumnStretch(1, 1);
    return box;
}

QWidget* PreferencesWindow::makeMapImageGroup()
{
    PreferenceControls& c = m_controls;
    auto* box = new QGroupBox(tr("Map images"), this);
    auto* layout = new QVBoxLayout(box);
    c.mapImageLoadingMethod =
        choices(QStringLiteral("mapImageLoadingMethod"), tr("Map image loading"),
                {tr("&Keep only the image shown"), tr("Keep recently &used images"),
                 tr("&Load every image when the maps are opened")},
                box);
    layout->addWidget(c.mapImageLoadingMethod);

    c.mapImageCacheSize = new QSlider(Qt::Horizontal, box);
    c.mapImageCacheSize->setObjectName(QStringLiteral("mapImageCacheSize"));
    c.mapImageCacheSize->setRange(smallestCacheSize, largestCacheSize);
    c.mapImageCacheSize->setPageStep(10);
    c.mapImageCacheSize->setFocusPolicy(Qt::StrongFocus);
    c.mapImageCacheSizeValue = new QLabel(box);
    c.mapImageCacheSizeValue->setObjectName(QStringLiteral("mapImageCacheSizeValue"));
    c.mapImageCacheSizeValue->setMinimumWidth(
        c.mapImageCacheSizeValue->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    c.mapImageCacheSizeValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(c.mapImageCacheSize, &QSlider::valueChanged, c.mapImageCacheSizeValue,
            [label = c.mapImageCacheSizeValue](int value) { label->setNum(value); });
    auto* cache = new QHBoxLayout;
    cache->addWidget(labelFor(c.mapImageCacheSize, tr("Recent &images kept:"), box));
    cache->addWidget(c.mapImageCacheSize, 1);
    cache->addWidget(c.mapImageCacheSizeValue);
    layout->addLayout(cache);
    return box;
}

QLayout* PreferencesWindow::makeButtonRow()
{
    PreferenceControls& c = m_controls;
    auto* row = new QHBoxLayout;
    row->addStretch();
    c.closeButton = pushButton(QStringLiteral("closeButton"), tr("Close"), this);
    c.closeButton->setAutoDefault(false);
    connect(c.closeButton, &QPushButton::clicked, this, &QDialog::close);
    row->addWidget(c.closeButton);
    c.saveButton = pushButton(QStringLiteral("saveButton"), tr("&Save"), this);
    c.saveButton->setDefault(true);
    row->addWidget(c.saveButton);
    return row;
}
