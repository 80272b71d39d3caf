// Mapping of the state table's buttons onto the view's items.
#include "control/MainView.h"

ViewItem ViewItemForButton(ButtonId button)
{
    switch (button) {
    case ButtonId::RecStart: return ViewItem::RecStart;
    case ButtonId::RecPause: return ViewItem::RecPause;
    case ButtonId::RecStop: return ViewItem::RecStop;
    case ButtonId::EditPlay: return ViewItem::EditPlay;
    case ButtonId::EditPause: return ViewItem::EditPause;
    case ButtonId::MarkerNext: return ViewItem::MarkerNext;
    case ButtonId::MarkerPrev: return ViewItem::MarkerPrev;
    case ButtonId::MarkerAdd: return ViewItem::MarkerAdd;
    case ButtonId::MarkerMoveBackward: return ViewItem::MarkerMoveBackward;
    case ButtonId::MarkerMoveForward: return ViewItem::MarkerMoveForward;
    case ButtonId::ViewZoomIn: return ViewItem::ViewZoomIn;
    case ButtonId::ViewZoomOut: return ViewItem::ViewZoomOut;
    case ButtonId::FileSave: return ViewItem::FileSave;
    }
    return ViewItem::RecStart;
}
