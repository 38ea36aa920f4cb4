#include "LoginRequest.h"

#include "WipeText.h"

LoginRequest::LoginRequest()
    : dialogWindow(nullptr), diagnosticMode(false), readyEvent(nullptr), configServerPort(0) {}

// A request is the last place the user's password sits on the worker's side.
LoginRequest::~LoginRequest() { WipeText(password); }
