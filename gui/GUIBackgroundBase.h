#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KorvaneEngine {
class GUIWindow;
}

namespace GameTools {
class DataKeeper;
class XMLNode;
} // namespace GameTools

namespace GUITools {

class GUIBackgroundLayer;

// An animated background described in XML: a stack of model and particle
// layers behind a top container in which the windows live. Layers marked
// "additional" load later than the basic ones (once their resources are
// there). The whole background fades in and out; each layer can fade too.
class GUIBackgroundBase {
public:
    virtual ~GUIBackgroundBase();
    // Makes the containers and reads the description; no layer is loaded
    // yet. A missing or malformed file is logged with its name and leaves the
    // background empty. The keeper is not owned and must outlive this.
    GUIBackgroundBase(GameTools::DataKeeper* keeper, KorvaneEngine::GUIWindow* parent, const std::string& fileName);
    GUIBackgroundBase(const GUIBackgroundBase&) = delete;
    GUIBackgroundBase& operator=(const GUIBackgroundBase&) = delete;

    virtual void LoadBasicLayers();
    virtual void LoadAdditionalLayers();
    // Once a frame: the layers, then the background's own fade.
    virtual void Update();
    virtual void SetVisible(bool visible, bool fade, float speed);
    virtual bool IsVisible() const;
    // The layers of one set, in document order; a layer made while the
    // background is visible fades in at speed 1.
    virtual void LoadLayers(bool basic);
    virtual bool IsAdditionalLayer(GameTools::XMLNode* node);
    // Null for a node without "name" or of another kind than "model" and
    // "particles".
    virtual GUIBackgroundLayer* CreateLayer(GameTools::XMLNode* node, int32_t height);

    KorvaneEngine::GUIWindow* GetRootWidget() const { return rootWidget; }
    KorvaneEngine::GUIWindow* GetLayerContainer() const { return layerContainer; }
    // The parent of the windows shown over the background.
    KorvaneEngine::GUIWindow* GetTopContainer() const { return topContainer; }
    const std::vector<GUIBackgroundLayer*>& GetLayers() const { return layers; }
    const std::string& GetResourcesPrefix() const { return resourcesPrefix; }
    bool HasDescription() const { return description != nullptr; }
    bool IsFading() const { return fading; }

protected:
    GameTools::DataKeeper* keeper;
    GameTools::XMLNode* description = nullptr;
    std::string resourcesPrefix;
    KorvaneEngine::GUIWindow* rootWidget = nullptr;
    KorvaneEngine::GUIWindow* layerContainer = nullptr;
    KorvaneEngine::GUIWindow* topContainer = nullptr;
    std::vector<GUIBackgroundLayer*> layers;
    bool visible = false;
    bool fading = false;
    float fadeSpeed = 1.0f;
    float fadeTime = 0.0f;
};

} // namespace GUITools
