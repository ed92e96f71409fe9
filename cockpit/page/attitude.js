// The vessel against its reference attitude (three.js): the reference as a
// wire frame along the view's axes, the vessel turned from it by the page's
// deviations. Vessel axes: +x lateral, +y vertical, +z the nose; pitch about
// x, yaw about y, roll about z, as the page shows them (degrees).
const RAD_PER_DEG = Math.PI / 180;

function vesselShape(THREE, material) {
  const group = new THREE.Group();
  const body = new THREE.Mesh(new THREE.CylinderGeometry(0.5, 0.5, 3, 16), material);
  body.rotation.x = Math.PI / 2;  // the cylinder's axis along z
  const nose = new THREE.Mesh(new THREE.ConeGeometry(0.5, 1.2, 16), material);
  nose.rotation.x = Math.PI / 2;
  nose.position.z = 2.1;
  const fin = new THREE.Mesh(new THREE.BoxGeometry(0.08, 1.4, 0.8), material);  // marks "up" (+y)
  fin.position.set(0, 0.9, -1.0);
  group.add(body, nose, fin);
  return group;
}

export async function startAttitudeView(container) {
  let THREE;
  try {
    THREE = await import('./lib/three.module.js');
  } catch (e) {
    container.textContent = 'The attitude view needs three.js (scripts/setup.sh installs it).';
    return null;
  }
  let renderer;
  try {
    renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
  } catch (e) {
    container.textContent = 'The attitude view needs WebGL, which this browser does not offer.';
    return null;
  }
  const width = container.clientWidth || 400, height = container.clientHeight || 260;
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  renderer.setSize(width, height);
  container.appendChild(renderer.domElement);
  const scene = new THREE.Scene();
  const camera = new THREE.PerspectiveCamera(40, width / height, 0.1, 100);
  camera.position.set(6, 4, -7);
  camera.lookAt(0, 0, 0);
  scene.add(new THREE.AmbientLight(0xffffff, 0.5));
  const light = new THREE.DirectionalLight(0xffffff, 1.2);
  light.position.set(3, 5, -2);
  scene.add(light);
  const reference = vesselShape(THREE, new THREE.MeshBasicMaterial({ color: 0x5fa8ff, wireframe: true }));
  const vessel = vesselShape(THREE, new THREE.MeshStandardMaterial({ color: 0x5fd35f }));
  scene.add(reference, vessel, new THREE.AxesHelper(3));
  const draw = () => renderer.render(scene, camera);
  draw();
  // The side column's width is settled once the screens are laid out.
  new ResizeObserver(() => {
    const w = container.clientWidth, h = container.clientHeight;
    if (!w || !h) return;
    renderer.setSize(w, h);
    camera.aspect = w / h;
    camera.updateProjectionMatrix();
    draw();
  }).observe(container);
  return {
    show([pitch, yaw, roll]) {
      // Drawn so that a positive pitch raises the nose, a positive yaw turns it to the right.
      vessel.rotation.set(-pitch * RAD_PER_DEG, yaw * RAD_PER_DEG, -roll * RAD_PER_DEG, 'XYZ');
      draw();
    },
  };
}
