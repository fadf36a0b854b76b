// The layer's settings in a page come from its address, as they come from the environment
// elsewhere: index.html?KESTRIX_DIRECT3D=0&KESTRIX_DISPLAY_DEPTHS=16 (names starting
// KESTRIX_ or SDL_). A full-screen take-over becomes the canvas at twice the frame's size
// (KESTRIX_WINDOW=2) unless the address says otherwise.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  ENV['KESTRIX_WINDOW'] = '2';
  if (typeof location === 'undefined') return;
  new URLSearchParams(location.search).forEach(function (value, name) {
    if (/^(KESTRIX|SDL)_[A-Z0-9_]+$/.test(name)) ENV[name] = value;
  });
});
