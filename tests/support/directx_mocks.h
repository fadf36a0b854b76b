// GoogleMock doubles of the DirectDraw 7 and Direct3D 8 interfaces, and the creation
// functions answering with them, for tests of the display set-up and presentation.
#pragma once

#include <d3d8.h>
#include <ddraw.h>
#include <gmock/gmock.h>

// The IUnknown part every double shares.
#define KESTRIX_MOCK_UNKNOWN(Name)                                     \
  virtual ~Name() = default;                                           \
  MOCK_METHOD(HRESULT, QueryInterface, (REFIID, void**), (override));  \
  MOCK_METHOD(ULONG, AddRef, (), (override));                          \
  MOCK_METHOD(ULONG, Release, (), (override))

struct MockDirectDrawPalette : IDirectDrawPalette {
  KESTRIX_MOCK_UNKNOWN(MockDirectDrawPalette);
  MOCK_METHOD(HRESULT, GetEntries, (DWORD, DWORD, DWORD, LPPALETTEENTRY), (override));
  MOCK_METHOD(HRESULT, SetEntries, (DWORD, DWORD, DWORD, LPPALETTEENTRY), (override));
};

struct MockDirectDrawSurface : IDirectDrawSurface7 {
  KESTRIX_MOCK_UNKNOWN(MockDirectDrawSurface);
  MOCK_METHOD(HRESULT, BltFast, (DWORD, DWORD, LPDIRECTDRAWSURFACE7, LPRECT, DWORD), (override));
  MOCK_METHOD(HRESULT, Flip, (LPDIRECTDRAWSURFACE7, DWORD), (override));
  MOCK_METHOD(HRESULT, GetAttachedSurface, (LPDDSCAPS2, LPDIRECTDRAWSURFACE7*), (override));
  MOCK_METHOD(HRESULT, GetSurfaceDesc, (LPDDSURFACEDESC2), (override));
  MOCK_METHOD(HRESULT, IsLost, (), (override));
  MOCK_METHOD(HRESULT, Lock, (LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE), (override));
  MOCK_METHOD(HRESULT, Restore, (), (override));
  MOCK_METHOD(HRESULT, SetPalette, (LPDIRECTDRAWPALETTE), (override));
  MOCK_METHOD(HRESULT, Unlock, (LPRECT), (override));
};

struct MockDirectDraw : IDirectDraw7 {
  KESTRIX_MOCK_UNKNOWN(MockDirectDraw);
  MOCK_METHOD(HRESULT, CreatePalette, (DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*), (override));
  MOCK_METHOD(HRESULT, CreateSurface, (LPDDSURFACEDESC2, LPDIRECTDRAWSURFACE7*, IUnknown*), (override));
  MOCK_METHOD(HRESULT, GetDisplayMode, (LPDDSURFACEDESC2), (override));
  MOCK_METHOD(HRESULT, RestoreDisplayMode, (), (override));
  MOCK_METHOD(HRESULT, SetCooperativeLevel, (HWND, DWORD), (override));
  MOCK_METHOD(HRESULT, SetDisplayMode, (DWORD, DWORD, DWORD, DWORD, DWORD), (override));
};

struct MockTexture : IDirect3DTexture8 {
  KESTRIX_MOCK_UNKNOWN(MockTexture);
  MOCK_METHOD(HRESULT, LockRect, (UINT, D3DLOCKED_RECT*, const RECT*, DWORD), (override));
  MOCK_METHOD(HRESULT, UnlockRect, (UINT), (override));
};

struct MockVertexBuffer : IDirect3DVertexBuffer8 {
  KESTRIX_MOCK_UNKNOWN(MockVertexBuffer);
  MOCK_METHOD(HRESULT, Lock, (UINT, UINT, BYTE**, DWORD), (override));
  MOCK_METHOD(HRESULT, Unlock, (), (override));
};

struct MockDevice : IDirect3DDevice8 {
  KESTRIX_MOCK_UNKNOWN(MockDevice);
  MOCK_METHOD(HRESULT, Present, (const RECT*, const RECT*, HWND, const RGNDATA*), (override));
  MOCK_METHOD(HRESULT, CreateTexture, (UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**), (override));
  MOCK_METHOD(HRESULT, CreateVertexBuffer, (UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**), (override));
  MOCK_METHOD(HRESULT, BeginScene, (), (override));
  MOCK_METHOD(HRESULT, EndScene, (), (override));
  MOCK_METHOD(HRESULT, SetTransform, (D3DTRANSFORMSTATETYPE, const D3DMATRIX*), (override));
  MOCK_METHOD(HRESULT, SetRenderState, (D3DRENDERSTATETYPE, DWORD), (override));
  MOCK_METHOD(HRESULT, SetTexture, (DWORD, IDirect3DBaseTexture8*), (override));
  MOCK_METHOD(HRESULT, SetTextureStageState, (DWORD, D3DTEXTURESTAGESTATETYPE, DWORD), (override));
  MOCK_METHOD(HRESULT, DrawPrimitive, (D3DPRIMITIVETYPE, UINT, UINT), (override));
  MOCK_METHOD(HRESULT, SetVertexShader, (DWORD), (override));
  MOCK_METHOD(HRESULT, SetStreamSource, (UINT, IDirect3DVertexBuffer8*, UINT), (override));
};

struct MockDirect3D : IDirect3D8 {
  KESTRIX_MOCK_UNKNOWN(MockDirect3D);
  MOCK_METHOD(HRESULT, CreateDevice, (UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice8**),
              (override));
};

// What the creation functions answer while a test runs.
struct DirectXFactory {
  IDirect3D8* direct3D = nullptr;  // Direct3DCreate8's result
  IDirectDraw7* directDraw = nullptr;  // DirectDrawCreateEx's object
  HRESULT directDrawResult = DD_OK;
};
extern DirectXFactory directXFactory;
