// Raising the data layer's errors with the failing component's name in front.
#include "db/DatabaseError.h"
#include "rtl/Classes.h"

void DatabaseError(const AnsiString& message, const TComponent* component) {
  if (component != nullptr && !component->Name().empty())
    throw EDatabaseError(component->Name() + ": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(std::string_view format, std::initializer_list<FormatArg> args,
                      const TComponent* component) {
  DatabaseError(Format(format, args), component);
}
