// Options > Keys: the designed keys or a Blender modder's, from the one key table.

#include "app/frm_main.h"

#include <QActionGroup>
#include <QMenu>

namespace {

const QString kKeyMapKey = QStringLiteral("keyMap");

} // namespace

void frmMain::createKeyMapMenu(QMenu* options) {
    QMenu* keys = options->addMenu(QStringLiteral("&Keys"));
    auto* group = new QActionGroup(keys);
    for (const vw::KeyMap map : {vw::KeyMap::Designed, vw::KeyMap::Blender}) {
        QAction* choice = keys->addAction(vw::keyMapName(map));
        choice->setCheckable(true);
        choice->setActionGroup(group);
        connect(choice, &QAction::triggered, this, [this, map] {
            applyKeyMap(map);
            if (m_settings)
                m_settings->setText(kKeyMapKey, vw::keyMapName(map));
        });
        m_keyMapActions[size_t(map)] = choice;
    }
    m_keyMapActions[size_t(m_keyMap)]->setChecked(true);
}

void frmMain::bindKeys(QAction* action, vw::KeyCommand command) {
    m_keyedActions.append({action, command});
    action->setShortcuts(vw::keysOf(m_keyMap, command));
}

void frmMain::applyKeyMap(vw::KeyMap map) {
    m_keyMap = map;
    m_keyMapActions[size_t(map)]->setChecked(true);
    for (const auto& [action, command] : m_keyedActions)
        action->setShortcuts(vw::keysOf(map, command));
    if (m_panes)
        m_panes->setKeyMap(map);
}

void frmMain::restoreKeyMap() {
    if (!m_settings)
        return;
    // A name this program does not know leaves the designed keys.
    applyKeyMap(vw::keyMapNamed(m_settings->text(kKeyMapKey)).value_or(vw::KeyMap::Designed));
}
