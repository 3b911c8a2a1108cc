// The tractor's Lua binding: clbkGeneric messages 1 and 2.
#pragma once

class KVQ_R7700;

int HandleGenericMessage(KVQ_R7700& v, int msgid, int prm, void* context);
