#pragma once
// How a run of the trading client ended, as far as the login worker cares.
enum class ClientOutcome {
    ClientNotStarted,   // no process; the error text says where the client was looked for
    ClientExited,       // it ran and ended while supervised
    ClientUnsupervised, // it runs on, but its end could not be waited for
};
