/*
 * glass: the soft bodies' jelly, a coloured, partly transparent material.
 *
 * Light passing through the surface is tinted by transmitcolor; what the
 * surface does not let through it shows as its own colour, lit like plastic.
 * A Fresnel-weighted reflection is added on top: taken from trace() on a
 * renderer that ray-traces, otherwise from the environment map envname,
 * otherwise left out. The reflection is only ever added, so a renderer whose
 * trace() answers black (or a missing map) loses the mirror image but never
 * turns the jelly into a dark hole.
 *
 * Parameters (the frames pass blur, transmitcolor, Kr, Ks and Kd):
 *   Ka            ambient weight                                   (0.2)
 *   Kd            diffuse weight of the body's own colour (Color)  (0.4)
 *   Ks            weight of the glossy highlights                  (0.5)
 *   roughness     size of the highlights: smaller is sharper       (0.05)
 *   specularcolor colour of the highlights                         (white)
 *   Kr            weight of the reflection                         (0.3)
 *   blur          softening of the reflection: the half-width of the
 *                 cone of reflected directions (radians, roughly), and
 *                 the environment lookup's blur                    (0)
 *   samples       reflected rays per shading point when blur > 0   (4)
 *   eta           index of refraction, for the Fresnel weight      (1.5)
 *   transmitcolor tint of the light that passes through            (white)
 *   envname       environment map used where no ray comes back     ("")
 *   envspace      coordinate system the map is indexed in          ("world")
 *
 * Opacity: the transmitted part is (1 - Opacity) * transmitcolor for each
 * channel, so Opacity 1 makes an opaque surface whatever the tint, and the
 * Opacity the frame gives (0.5) lets half the light through before tinting.
 */
surface glass(
    float Ka = 0.2;
    float Kd = 0.4;
    float Ks = 0.5;
    float roughness = 0.05;
    color specularcolor = 1;
    float Kr = 0.3;
    float blur = 0;
    float samples = 4;
    float eta = 1.5;
    color transmitcolor = 1;
    string envname = "";
    string envspace = "world";)
{
    normal Nf = faceforward(normalize(N), I);
    vector In = normalize(I);
    vector V = -In;

    /* Nf faces the viewer, so every ray arrives from outside the jelly. */
    float kr, kt;
    fresnel(In, Nf, 1 / max(eta, 1e-3), kr, kt);
    vector R = normalize(reflect(In, Nf));

    color reflected = 0;
    if (Kr > 0) {
        float rays = 1;
        if (blur > 0)
            rays = max(1, floor(samples + 0.5));
        color traced = 0;
        float i;
        for (i = 0; i < rays; i += 1) {
            vector d = R;
            if (blur > 0) {
                point jitter = random();
                d = normalize(R + 2 * blur * (vector(jitter) - vector(0.5, 0.5, 0.5)));
                /* A jittered ray that would leave below the surface points into the jelly. */
                if (d.Nf < 0)
                    d = R;
            }
            traced += trace(P, d);
        }
        traced /= rays;
        /* A renderer without ray tracing answers black for every ray. */
        if (comp(traced, 0) + comp(traced, 1) + comp(traced, 2) > 0)
            reflected = traced;
        else if (envname != "")
            reflected = color environment(envname, vtransform(envspace, R), "blur", blur);
    }

    color through = (1 - Os) * transmitcolor;
    Oi = color(1, 1, 1) - through;
    Ci = Os * Cs * (Ka * ambient() + Kd * diffuse(Nf))
       + specularcolor * Ks * specular(Nf, V, roughness)
       + Kr * kr * reflected;
}
