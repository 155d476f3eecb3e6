// The login window: the platform's login page in a browser over the background window, with the
// load retry, the update check, the first-activation record and the hand-over to the game window.
#pragma once

#include "classlib/Forms.h"

namespace tn {

class TFormLogin : public TForm {
public:
    explicit TFormLogin(TComponent* owner);
};

} // namespace tn
