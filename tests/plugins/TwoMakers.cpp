// Exports wrapper makers for CBasket and shop::COrder.
#include "RecordingWrapper.h"

namespace {

struct CBasketWrapper : TestPlugin::CRecordingWrapper {
  CBasketWrapper()
      : CRecordingWrapper("CBasket", {{"CBasket", {}},
                                      {"Init", {}},
                                      {"SetLimit", {"int"}},
                                      {"SetOwner", {"char*"}},
                                      {"SetOrder", {"bean"}}}) {}
};

struct COrderWrapper : TestPlugin::CRecordingWrapper {
  COrderWrapper() : CRecordingWrapper("shop::COrder", {{"COrder", {}}, {"SetCount", {"int"}}}) {}
};

}  // namespace

OSTREL_EXPORT_WRAPPER_MAKER(CBasket, CBasketWrapper)
OSTREL_EXPORT_WRAPPER_MAKER(shop_COrder, COrderWrapper)
