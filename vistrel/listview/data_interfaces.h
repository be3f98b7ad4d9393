// The interfaces through which interfaced items and groups ask their data object for
// their data, each asked at every access.
#ifndef VISTREL_LISTVIEW_DATA_INTERFACES_H
#define VISTREL_LISTVIEW_DATA_INTERFACES_H

#include "framework/classes.h"
#include "listview/lq_types.h"

#include <QtCore/QVariant>

namespace fw {
class TCanvas;
class TCustomImageList;
}

namespace vistrel::listview {

class ILqDataCaptions : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{6C838C0E-22A5-48D4-80C6-E266E950D3CF}");
    virtual void GetCaption(int column, QVariant& caption) = 0;
};
class ILqDataCaptionsWrite : public ILqDataCaptions {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{F1403B00-7163-4FB7-804F-1A5500CD980A}");
    virtual void SetCaption(int column, const QVariant& caption) = 0;
};
class ILqDataChecks : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{E8820F40-2EE3-4718-B54A-39318D2D1232}");
    virtual bool GetChecked(int column) = 0;
    virtual void SetChecked(int column, bool value) = 0;
};
class ILqDataImages : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{20C419F5-F3DD-40C4-8526-88322E182C49}");
    virtual int GetImageIndex(int column, TLqImageKind kind) = 0;
};
class ILqDataImagesWrite : public ILqDataImages {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{DC580B13-1D19-46BB-885F-FC5CE9B2BE66}");
    virtual void SetImageIndex(int column, TLqImageKind kind, int value) = 0;
};
class ILqDataDetails : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{AE1D21EB-BA52-4C24-9EB1-B35733299489}");
    virtual int GetDetailCount() = 0;
    virtual int GetDetail(int line) = 0;
};
class ILqDataDetailsWrite : public ILqDataDetails {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{BBD853F9-D803-4478-B5A8-EE02FF47DC80}");
    virtual void SetDetail(int line, int value) = 0;
    virtual void SetDetailCount(int value) = 0;
};
class ILqDataGroupKey : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{2B87BB19-A133-4D43-9164-AC456747EB19}");
    virtual uint32_t GetGroupKey(int column) = 0;
};
class ILqDataGroupKeyWrite : public ILqDataGroupKey {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{26EFE2C6-2DE2-4795-94E3-0DB0CAA38B09}");
    virtual void SetGroupKey(int column, uint32_t key) = 0;
};
class ILqDataImageList : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{298932FB-A0AE-4A0A-BE34-A782743A0579}");
    virtual fw::TCustomImageList* GetImageList(int column, TLqImageSize size) = 0;
};
class ILqDataStateImageList : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{F0202D63-92A7-4C2F-9CA4-CBDE4DE0ED30}");
    virtual fw::TCustomImageList* GetStateImageList(int column) = 0;
};
class ILqDataCustomImage : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{00260055-6915-43B5-9D43-379E7F61EEA9}");
    virtual void ImageDrawIsCustom(int column, bool& is_custom) = 0;
    virtual void ImageDraw(int column, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                           TLqAlphaBlender* blender) = 0;
    virtual void ImageGetSize(int column, int& width, int& height) = 0;
};
class ILqDataThumbnail : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{F9CA8297-0CB3-4C47-905F-3D1497C4FC4D}");
    virtual void ThumbnailDraw(fw::TCanvas* canvas, const fw::TRect& rect, TLqAlphaBlender* blender,
                               bool& do_default) = 0;
};
class ILqDataObject : public virtual fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{7F667930-E47B-4474-BA62-B100D7DBDA70}");
    virtual fw::TObject* GetObject() = 0;
};

}

#endif
