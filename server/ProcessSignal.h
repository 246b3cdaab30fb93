#pragma once

#include "server/ProcessIdentity.h"

// The one way Voranth sends a signal to a process: to the very process an identity names,
// never to one that took its id over. Nothing else in Voranth signals a process.
class ProcessSignal
{
public:
    enum class Outcome
    {
        Sent,
        // The process has ended (or is a zombie), or its id now belongs to another process:
        // nothing was sent.
        NotThatProcess,
        // The system refused; nothing was sent.
        Failed,
    };

    static Outcome send(const ProcessIdentity& process, int signal);
};
