// Messages and the messages that scripts post.
#include "ui/Message.h"

TLuaMessageWrapper::TLuaMessageWrapper(lua_State* L)
{
    inner_ = ToMessageValue(L, -1);
    value_ = std::make_unique<TLuaMessage>(L);
    if (inner_ != nullptr)
    {
        SetKind(inner_->GetKind());
        SetName(inner_->GetName());
        SetReceiver(inner_->GetReceiver());
    }
}

TLuaMessageWrapper::~TLuaMessageWrapper() = default;

TMessage* InnerMessage(TMessage* message)
{
    if (message != nullptr && message->IsKindOf(TLuaMessageWrapper::ClassId()))
    {
        if (TMessage* inner = static_cast<TLuaMessageWrapper*>(message)->GetInner()) return inner;
    }
    return message;
}
