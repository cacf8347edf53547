// A game on the NULL driver with one current state, and helpers that build real scene nodes.
#pragma once

#include <gtest/gtest.h>
#include <irrlicht.h>

#include <memory>
#include <string>

#include "framework/Framerate.h"
#include "framework/Game.h"
#include "framework/GameState.h"
#include "framework/objects/NodeGameObject.h"

// Counts the state's 2D overlay hook, which runs once per camera drawn.
class CountingState : public TGameState {
public:
    int OnRender() override
    {
        ++renders;
        return 0;
    }
    int renders = 0;
};

class SceneFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TGame::InitClassData();
        TNodeGameObject::NodeObjectKeys.Clear();
        game = std::make_unique<TGame>();
        ASSERT_EQ(game->InitGraphics(800, 600, 16, 0), 1);
        state = std::make_shared<CountingState>();
        TGame::AddGameState("s", state);
        TGame::SetGameState("s");
        smgr = state->smgr;
        ASSERT_NE(smgr, nullptr);
        TGame::Framerate->speedfactor = 1.0f;
    }

    void TearDown() override
    {
        state->ClearGameViews();
        state->ClearGameObjects();
        TGame::ReleaseClassData();
        state.reset();
        game.reset();
    }

    // Adds a new object of class T to the state under key.
    template <class T>
    std::shared_ptr<T> Add(const std::string& key)
    {
        auto object = std::make_shared<T>();
        state->AddGameObject(key, object);
        return object;
    }

    irr::scene::IMeshSceneNode* Cube(float size, const irr::core::vector3df& position)
    {
        return smgr->addCubeSceneNode(size, nullptr, -1, position);
    }

    irr::scene::IMeshSceneNode* Sphere(float radius, const irr::core::vector3df& position)
    {
        return smgr->addSphereSceneNode(radius, 16, nullptr, -1, position);
    }

    // Gives node a triangle selector over its own mesh; the node keeps the only reference.
    void GiveSelector(irr::scene::IMeshSceneNode* node)
    {
        irr::scene::ITriangleSelector* selector = smgr->createTriangleSelector(node->getMesh(), node);
        node->setTriangleSelector(selector);
        selector->drop();
    }

    std::unique_ptr<TGame> game;
    std::shared_ptr<CountingState> state;
    irr::scene::ISceneManager* smgr = nullptr;
};

inline void ExpectNear(const irr::core::vector3df& actual, const irr::core::vector3df& expected,
                       float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}
