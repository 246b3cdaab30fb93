#pragma once

// What the window shows about the game server. The status text, the server buttons and menu
// items and the application icon all follow this value.
enum class ServerState
{
    // No server of ours runs.
    NoServer,
    // A server runs that is not under remote control: started without a remote-control
    // password, or found running at start.
    Launched,
    // A server was started with a password; the remote control has not reached it yet.
    Connecting,
    // The remote control talks to the running server.
    Controlled,
    // The application is quitting; a server may be left running.
    Quitting,
};
