#pragma once

#include "rcon/RconPacer.h"

#include <QString>
#include <QStringList>

#include <functional>

#include <memory>
#include <optional>

class QObject;
class RemoteControl;
class ServerConfig;

// The commands of the remote-control pane, for the window and voranthctl alike: the exact
// console text of each, queued on the client (RemoteControl::sendRCon) with its own receive
// timeout, and what should follow (a delayed status refresh, ...). The outcome arrives later
// through the command's callback, called while the context object lives; the caller shows the
// reply and carries out the follow-up.
//
// Every request waits for its turn under the server's rate limit and so is never silently
// dropped by the server; only the automatic status poll (refreshStatus with Poll) gives way.
class RemoteCommands
{
public:
    // Receive timeouts (the quiet gap that ends a reply), in microseconds.
    static constexpr int commandTimeout = 100000;
    static constexpr int statusTimeout = 100000;
    static constexpr int nextMapTimeout = 40000;
    static constexpr int urbanTerrorNextMapTimeout = 80000;
    static constexpr int urbanTerrorMapTimeout = 10000;
    static constexpr int addBotTimeout = 150000;
    static constexpr int quitTimeout = 40000;
    static constexpr int sayTimeout = 200000;
    // The pause, accepting input, after chat and between setting a limit and reading it.
    static constexpr double inputPauseSeconds = 0.5;

    // The items of the limits pop-up, in order.
    enum class LimitType
    {
        Frag = 0,
        Time = 1,
        Capture = 2,
        None = 3,
        MaxPlayers = 4,
    };
    // The rows of the team-colour matrix.
    enum class Team
    {
        None = 0,
        Blue = 1,
        Red = 2,
    };

    struct FollowUp
    {
        enum class Kind
        {
            None,
            // A status refresh after delaySeconds (complete: also the server name and limits).
            OneShotStatus,
            // The server quits: disable the pane.
            DisablePane,
        };
        Kind kind = Kind::None;
        double delaySeconds = 0;
        bool complete = false;
        bool operator==(const FollowUp&) const = default;
    };

    struct Sent
    {
        // Every request of the command went out: the follow-up is wanted.
        bool sent = false;
        // Why nothing (more) was sent, when the command was refused.
        QString refusal;
        // The reply belongs in the response view.
        bool visible = false;
        // The last console text sent, and its reply (the no-response text when none came).
        QString command;
        QString reply;
        // Every visible reply, in order.
        QStringList replies;
        // Whether the server answered the request at all (an empty reply counts); of several
        // requests, every one.
        bool answered = false;
        // The server turned the password down.
        bool wrongPassword = false;
        FollowUp followUp;
    };

    using Done = std::function<void(const Sent&)>;

    // Commands for client; their outcomes are reported while context lives.
    RemoteCommands(RemoteControl& client, QObject* context);

    // The console texts. A player is named by the slot the status lists it in, so that a
    // name that looks like a number or holds blanks still means that player.
    static QString kickText(int slot);
    static QString dumpUserText(int slot);
    static QString restartMapText(bool urbanTerror, const QString& currentMap);
    static QString nextMapText(bool urbanTerror, const QString& nextMap);
    static QString setLimitText(LimitType type, int value);
    static QString addBotText(const QString& bot, int skill, Team team);
    static QString execText(const QString& configFile);
    static QString sayText(const QString& text);
    static QString quitText();

    // The server variable of a limit; empty for None and anything outside the pop-up.
    static QString limitVariable(LimitType type);
    static std::optional<LimitType> limitTypeForItem(int item);
    // "", "blue", "red" by matrix row; any other row has no team.
    static QString teamWord(Team team);
    static Team teamForRow(int row);
    // Seconds until the refresh after a restart: 5.0 + 0.02 per listed player (+1.0 for
    // Urban Terror).
    static double restartDelay(int players, bool urbanTerror);
    static bool isUrbanTerror(const QString& mod);

    // The commands.
    void freeCommand(const QString& text, Done done);
    void kick(int slot, Done done);
    void dumpUser(int slot, Done done);
    void restartMap(Done done);
    void changeToNextMap(Done done);
    // Reads the next map (RemoteControl::nextMap()); done gets false when it cannot be read.
    void previewNextMap(std::function<void(bool)> done);
    // Sets the limit, then, after inputPauseSeconds, asks for its variable (visible) so that
    // the server's answer shows the value it took.
    void changeLimit(LimitType type, int value, Done done);
    // Asks for the limit's variable, visible; ServerReplyParser::variableValue() of the reply
    // is its value.
    void readLimit(LimitType type, Done done);
    // One "addbot" per bot, in order; each reply goes to eachReply as it comes.
    void addBots(const QStringList& bots, int skill, Team team,
                 std::function<void(const QString&)> eachReply, Done done);
    // Runs another configuration on the server (its file, written without the password,
    // executed over rcon), and on success makes it the running one: in the client, in the
    // running-server record, with the old configuration's server file deleted. The game
    // directory gameRoot is where the files are written for.
    void runConfig(const ServerConfig& config, const QString& gameRoot, Done done);
    void quit(Done done);
    // Chat; no other request of the server goes for inputPauseSeconds after it.
    void say(const QString& text, Done done);

    // A status refresh: status, current map and players. A poll gives way under the rate
    // limit (nothing is asked then). Anything but a whole status table changes nothing.
    enum class Refresh
    {
        GaveWay,
        NoReply,
        NotAStatus,
        CutShort,
        Refreshed,
    };
    void refreshStatus(RconPacer::Traffic traffic, std::function<void(Refresh)> done);

private:
    // One request; done gets its outcome.
    void exchange(const QString& command, bool visible, int timeout, Done done);
    // A refusal, reported from the event loop as every outcome is.
    void refuse(const QString& why, Done done);

    RemoteControl& m_client;
    QObject* m_context;
};
