#include "game/ColorScheme.h"

#include <stdexcept>

#include "framework/GameResource.h"

namespace {

int StepToward(irr::u32 from, irr::u32 to)
{
    const int a = static_cast<int>(from);
    const int b = static_cast<int>(to);
    return a + (b > a) - (b < a);
}

}  // namespace

std::shared_ptr<TColorScheme> TColorScheme::Create(irr::video::SColor arena, irr::video::SColor tank1,
                                                   irr::video::SColor tank2, irr::video::SColor background)
{
    auto scheme = std::make_shared<TColorScheme>();
    const std::pair<const char*, irr::video::SColor> colors[] = {
        {"Arena", arena}, {"Tank1", tank1}, {"Tank2", tank2}, {"Background", background}};
    for (const auto& [key, color] : colors)
        scheme->AddGameResource(key, TColorResource::CreateFromColor(std::make_shared<irr::video::SColor>(color)));
    return scheme;
}

std::shared_ptr<TColorScheme> TColorScheme::Create(irr::video::SColor arena, irr::video::SColor tank1,
                                                   irr::video::SColor tank2, irr::video::SColor background,
                                                   irr::video::SColor tank3, irr::video::SColor tank4)
{
    auto scheme = Create(arena, tank1, tank2, background);
    scheme->AddGameResource("Tank3", TColorResource::CreateFromColor(std::make_shared<irr::video::SColor>(tank3)));
    scheme->AddGameResource("Tank4", TColorResource::CreateFromColor(std::make_shared<irr::video::SColor>(tank4)));
    return scheme;
}

irr::video::SColor TColorScheme::GetColor(const std::string& key)
{
    auto resource = GetGameResourceAs<TColorResource>(key);
    std::shared_ptr<irr::video::SColor> color = resource ? resource->GetResource() : nullptr;
    if (!color) throw std::invalid_argument("TColorScheme: no color \"" + key + "\"");
    return *color;
}

irr::video::SColor TColorScheme::FadeColor(irr::video::SColor color, std::optional<irr::video::SColor> target)
{
    const irr::video::SColor to = target.value_or(irr::video::SColor(255, 0, 0, 0));
    return irr::video::SColor(255, StepToward(color.getRed(), to.getRed()),
                              StepToward(color.getGreen(), to.getGreen()),
                              StepToward(color.getBlue(), to.getBlue()));
}
