// The Talvo platform's object model, as the tool calls it.
//
// Each interface is a dual interface: the three IUnknown places, the four IDispatch places, then
// its operations, so that operation #n is method table entry 7 + n. Places the tool does not call
// are declared as reserved methods to keep the later ones in place; the tool never calls them.
// Results come back through the last (out) parameter; texts are wide strings.
#pragma once

#include "vkcom.h"

#include <cstdint>

namespace talvo {

// The platform's root class.
inline constexpr vk::Guid CLSID_Core2 = vk::guidOf("{4689781D-6EFD-41BC-950B-E6983890FA5C}");

struct ICore;
struct ICatalog;
struct ICatalogEntry;
struct ILibrary;
struct IProducts;
struct IProduct;
struct IPlatform;
struct IParameters;
struct IParameter;
struct IParameterInfo;
struct IParameterDetail;
struct IValueScale;
struct IValueTexts;
struct IHybridInfo5020;
struct IHybridInfo;
struct IProductLimits;

// The platform's root object.
struct ICore : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL Catalog(ICatalog** result) = 0; // #2
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL reserved4() = 0;
    virtual vk::HResult VK_CALL reserved5() = 0;
    virtual vk::HResult VK_CALL reserved6() = 0;
    virtual vk::HResult VK_CALL reserved7() = 0;
    virtual vk::HResult VK_CALL reserved8() = 0;
};

// The catalogue of installed product libraries. Item takes a 0-based position (VT_I4) or an entry's Name
// (VT_BSTR).
struct ICatalog : vk::IDispatch {
    virtual vk::HResult VK_CALL Count(int32_t* result) = 0;                           // #1
    virtual vk::HResult VK_CALL Item(vk::Variant* index, ICatalogEntry** result) = 0; // #2
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL reserved4() = 0;
};

// One catalogue entry; Library opens the library (it may fail).
struct ICatalogEntry : vk::IDispatch {
    virtual vk::HResult VK_CALL Name(vk::Bstr* result) = 0;     // #1
    virtual vk::HResult VK_CALL Caption(vk::Bstr* result) = 0;  // #2
    virtual vk::HResult VK_CALL Library(ILibrary** result) = 0; // #3
};

// An opened product library. A locked library reports no products until Unlock gets its password.
struct ILibrary : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL Name(vk::Bstr* result) = 0;    // #2
    virtual vk::HResult VK_CALL Version(vk::Bstr* result) = 0; // #3
    virtual vk::HResult VK_CALL reserved4() = 0;
    virtual vk::HResult VK_CALL Products(IProducts** result) = 0;    // #5
    virtual vk::HResult VK_CALL ManufacturerID(int16_t* result) = 0; // #6
    virtual vk::HResult VK_CALL LibraryID(int16_t* result) = 0;      // #7
    virtual vk::HResult VK_CALL Unlock(vk::Bstr password) = 0;       // #8
};

// The products of a library, by 0-based position.
struct IProducts : vk::IDispatch {
    virtual vk::HResult VK_CALL Count(int32_t* result) = 0;                      // #1
    virtual vk::HResult VK_CALL Item(vk::Variant* index, IProduct** result) = 0; // #2
};

// One product. IHybridInfo5020, IHybridInfo and IProductLimits are asked of it by query.
struct IProduct : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL Name(vk::Bstr* result) = 0;              // #2
    virtual vk::HResult VK_CALL IntParameters(IParameters** result) = 0; // #3
    virtual vk::HResult VK_CALL ExtParameters(IParameters** result) = 0; // #4
    virtual vk::HResult VK_CALL reserved5() = 0;
    virtual vk::HResult VK_CALL reserved6() = 0;
    virtual vk::HResult VK_CALL Platform(IPlatform** result) = 0; // #7
    virtual vk::HResult VK_CALL reserved8() = 0;
    virtual vk::HResult VK_CALL reserved9() = 0;
    virtual vk::HResult VK_CALL reserved10() = 0;
    virtual vk::HResult VK_CALL reserved11() = 0;
    virtual vk::HResult VK_CALL reserved12() = 0;
    virtual vk::HResult VK_CALL reserved13() = 0;
    virtual vk::HResult VK_CALL reserved14() = 0;
    virtual vk::HResult VK_CALL reserved15() = 0;
    virtual vk::HResult VK_CALL reserved16() = 0;
    virtual vk::HResult VK_CALL reserved17() = 0;
    virtual vk::HResult VK_CALL reserved18() = 0;
    virtual vk::HResult VK_CALL reserved19() = 0;
    virtual vk::HResult VK_CALL MapName(vk::Bstr* result) = 0; // #20
};

// The DSP platform of a product; Name is the chip family.
struct IPlatform : vk::IDispatch {
    virtual vk::HResult VK_CALL Name(vk::Bstr* result) = 0; // #1
};

// A product's internal or external parameters, by 0-based position.
struct IParameters : vk::IDispatch {
    virtual vk::HResult VK_CALL Count(int32_t* result) = 0;                        // #1
    virtual vk::HResult VK_CALL Item(vk::Variant* index, IParameter** result) = 0; // #2
};

// A parameter; used only through IParameterInfo and IParameterDetail.
struct IParameter : vk::IDispatch {};

// Name and identifier of a parameter.
struct IParameterInfo : vk::IDispatch {
    virtual vk::HResult VK_CALL Name(vk::Bstr* result) = 0; // #1
    virtual vk::HResult VK_CALL reserved2() = 0;
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL reserved4() = 0;
    virtual vk::HResult VK_CALL reserved5() = 0;
    virtual vk::HResult VK_CALL reserved6() = 0;
    virtual vk::HResult VK_CALL reserved7() = 0;
    virtual vk::HResult VK_CALL reserved8() = 0;
    virtual vk::HResult VK_CALL reserved9() = 0;
    virtual vk::HResult VK_CALL reserved10() = 0;
    virtual vk::HResult VK_CALL reserved11() = 0;
    virtual vk::HResult VK_CALL reserved12() = 0;
    virtual vk::HResult VK_CALL reserved13() = 0;
    virtual vk::HResult VK_CALL reserved14() = 0;
    virtual vk::HResult VK_CALL reserved15() = 0;
    virtual vk::HResult VK_CALL reserved16() = 0;
    virtual vk::HResult VK_CALL ParamID(int32_t* result) = 0; // #17
};

// Type, range, default, units and converters of a parameter. Kind: 0 single bit, 1 list, 2 data, 3 text list,
// 4 discrete.
struct IParameterDetail : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL Kind(int32_t* result) = 0;    // #2
    virtual vk::HResult VK_CALL Default(int32_t* result) = 0; // #3
    virtual vk::HResult VK_CALL reserved4() = 0;
    virtual vk::HResult VK_CALL Min(int32_t* result) = 0;        // #5
    virtual vk::HResult VK_CALL Max(int32_t* result) = 0;        // #6
    virtual vk::HResult VK_CALL Scale(IValueScale** result) = 0; // #7
    virtual vk::HResult VK_CALL Units(vk::Bstr* result) = 0;     // #8
    virtual vk::HResult VK_CALL reserved9() = 0;
    virtual vk::HResult VK_CALL reserved10() = 0;
    virtual vk::HResult VK_CALL reserved11() = 0;
    virtual vk::HResult VK_CALL reserved12() = 0;
    virtual vk::HResult VK_CALL Texts(IValueTexts** result) = 0; // #13
};

// Converts raw values to real values in the parameter's units.
struct IValueScale : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL reserved2() = 0;
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL ToReal(int32_t raw, double* result) = 0; // #4
};

// The display text of each raw value.
struct IValueTexts : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL reserved2() = 0;
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL Text(int32_t value, vk::Bstr* result) = 0; // #4
};

// Hybrid identification of products of the GC5020 family.
struct IHybridInfo5020 : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL reserved2() = 0;
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL reserved4() = 0;
    virtual vk::HResult VK_CALL reserved5() = 0;
    virtual vk::HResult VK_CALL reserved6() = 0;
    virtual vk::HResult VK_CALL reserved7() = 0;
    virtual vk::HResult VK_CALL reserved8() = 0;
    virtual vk::HResult VK_CALL reserved9() = 0;
    virtual vk::HResult VK_CALL reserved10() = 0;
    virtual vk::HResult VK_CALL reserved11() = 0;
    virtual vk::HResult VK_CALL reserved12() = 0;
    virtual vk::HResult VK_CALL reserved13() = 0;
    virtual vk::HResult VK_CALL reserved14() = 0;
    virtual vk::HResult VK_CALL reserved15() = 0;
    virtual vk::HResult VK_CALL reserved16() = 0;
    virtual vk::HResult VK_CALL reserved17() = 0;
    virtual vk::HResult VK_CALL reserved18() = 0;
    virtual vk::HResult VK_CALL reserved19() = 0;
    virtual vk::HResult VK_CALL reserved20() = 0;
    virtual vk::HResult VK_CALL reserved21() = 0;
    virtual vk::HResult VK_CALL reserved22() = 0;
    virtual vk::HResult VK_CALL reserved23() = 0;
    virtual vk::HResult VK_CALL reserved24() = 0;
    virtual vk::HResult VK_CALL HybridID(int32_t* result) = 0; // #25
};

// Hybrid identification and sampling rate code of other families.
struct IHybridInfo : vk::IDispatch {
    virtual vk::HResult VK_CALL HybridID(int32_t* result) = 0;       // #1
    virtual vk::HResult VK_CALL SampleRateCode(int32_t* result) = 0; // #2
};

// Output and gain limits and channel count of a product.
struct IProductLimits : vk::IDispatch {
    virtual vk::HResult VK_CALL reserved1() = 0;
    virtual vk::HResult VK_CALL reserved2() = 0;
    virtual vk::HResult VK_CALL reserved3() = 0;
    virtual vk::HResult VK_CALL reserved4() = 0;
    virtual vk::HResult VK_CALL reserved5() = 0;
    virtual vk::HResult VK_CALL reserved6() = 0;
    virtual vk::HResult VK_CALL reserved7() = 0;
    virtual vk::HResult VK_CALL reserved8() = 0;
    virtual vk::HResult VK_CALL reserved9() = 0;
    virtual vk::HResult VK_CALL reserved10() = 0;
    virtual vk::HResult VK_CALL reserved11() = 0;
    virtual vk::HResult VK_CALL MaxOutput(double* result) = 0; // #12
    virtual vk::HResult VK_CALL reserved13() = 0;
    virtual vk::HResult VK_CALL reserved14() = 0;
    virtual vk::HResult VK_CALL reserved15() = 0;
    virtual vk::HResult VK_CALL MaxGain(double* result) = 0; // #16
    virtual vk::HResult VK_CALL reserved17() = 0;
    virtual vk::HResult VK_CALL reserved18() = 0;
    virtual vk::HResult VK_CALL Channels(int32_t* result) = 0; // #19
};

} // namespace talvo

namespace vk {
VK_DECLARE_IID(talvo::ICore, "{0E75C81C-9E96-11D3-B796-00104B6EFA25}");
VK_DECLARE_IID(talvo::ICatalog, "{E89CDBF7-E350-11D3-B7A8-00104B6EFA25}");
VK_DECLARE_IID(talvo::ICatalogEntry, "{F0C2E5AB-6803-4048-B26F-5DC1E8B2D3B1}");
VK_DECLARE_IID(talvo::ILibrary, "{9C40E537-AF9B-43AC-A183-46025A54A675}");
VK_DECLARE_IID(talvo::IProducts, "{2CF1E27B-6880-4AA4-B003-C9E77DC6CD34}");
VK_DECLARE_IID(talvo::IProduct, "{257D42F9-535E-46DA-B8CA-8C7385616174}");
VK_DECLARE_IID(talvo::IPlatform, "{AE67DA3B-EA63-4A75-B8BD-5D483227313D}");
VK_DECLARE_IID(talvo::IParameters, "{B34981C0-8DAA-401D-A388-1A34286353D9}");
VK_DECLARE_IID(talvo::IParameter, "{AB8FDC4D-E53C-46AE-AC0A-BCE0B600C189}");
VK_DECLARE_IID(talvo::IParameterInfo, "{1777717E-C82B-4338-BC8C-8E5666ED6512}");
VK_DECLARE_IID(talvo::IParameterDetail, "{2C355FFA-B9BE-4167-82DC-D970A0FDAFF2}");
VK_DECLARE_IID(talvo::IValueScale, "{367120DD-2876-47C5-A59A-EE34F94C119A}");
VK_DECLARE_IID(talvo::IValueTexts, "{0C9CF867-4571-4DAE-AA95-347632018439}");
VK_DECLARE_IID(talvo::IHybridInfo5020, "{ED451B14-FFD1-4479-9DCF-8A15A87CA5A3}");
VK_DECLARE_IID(talvo::IHybridInfo, "{5F7BC410-7747-43DA-BA23-A15950870795}");
VK_DECLARE_IID(talvo::IProductLimits, "{CED60097-1CFB-4717-A39B-985D8B34FB02}");
} // namespace vk
