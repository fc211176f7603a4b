// The error vocabulary of the network layer.
//
//   ESocketError     the transport failed: no connection, refused, time-out, connection
//                    lost. The connection that raises it is closed afterwards.
//   ESocketTimeout   an ESocketError: the other end sent or took nothing within the
//                    time allowed.
//   EProtocolError   bytes arrived that do not form a valid frame or value; the text
//                    says where ("corrupt at offset N: ...").
//   EAppServerError  the application server answered a call with an error; Message()
//                    is the server's own text (GBK), unchanged.
#pragma once
#include "rtl/Exceptions.h"

POS_EXCEPTION(ESocketError, Exception);
POS_EXCEPTION(ESocketTimeout, ESocketError);
POS_EXCEPTION(EProtocolError, Exception);
POS_EXCEPTION(EAppServerError, Exception);
