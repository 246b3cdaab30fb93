#include "app/ApplicationIcon.h"

#include <QApplication>
#include <QIcon>

namespace {

ApplicationIcon::State& shownState()
{
    static ApplicationIcon::State state = ApplicationIcon::State::Orange;
    return state;
}

} // namespace

QString ApplicationIcon::resourcePath(State state)
{
    switch (state) {
    case State::Red:
        return QStringLiteral(":/resources/app/VOIconRed.png");
    case State::Yellow:
        return QStringLiteral(":/resources/app/VOIconYellow.png");
    case State::Orange:
        break;
    }
    return QStringLiteral(":/resources/app/VOIconOrange.png");
}

ApplicationIcon::State ApplicationIcon::forServerState(ServerState state)
{
    switch (state) {
    case ServerState::Controlled:
        return State::Red;
    case ServerState::Quitting:
        return State::Yellow;
    case ServerState::NoServer:
    case ServerState::Launched:
    case ServerState::Connecting:
        break;
    }
    return State::Orange;
}

void ApplicationIcon::show(State state)
{
    shownState() = state;
    QApplication::setWindowIcon(QIcon(resourcePath(state)));
}

ApplicationIcon::State ApplicationIcon::current()
{
    return shownState();
}
