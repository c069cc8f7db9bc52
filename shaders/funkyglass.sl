/*
 * funkyglass: the spheres' transparent coloured glass, its colour swirling
 * over the surface.
 *
 * The colour comes from the Color the frame gives: noise in shader space
 * (the sphere's own frame, so the pattern travels with it) wanders between
 * that colour, two colours made by turning its red, green and blue around,
 * and a paler version of it. The glass lets most light through, more where
 * it is seen face on than at its rim, and carries bright glossy highlights.
 * It casts no reflection or refraction rays, so it looks the same on every
 * renderer. The swirl's finest detail fades out below a pixel.
 *
 * Parameters (the frames pass none):
 *   Ka, Kd, Ks    ambient, diffuse and specular weights    (0.3, 0.6, 0.8)
 *   roughness     size of the highlights                   (0.04)
 *   specularcolor colour of the highlights                 (white)
 *   opacity       share of the given Opacity kept face on  (0.35)
 *   rimopacity    share kept at the silhouette             (0.9)
 *   swirlfreq     frequency of the colour swirl            (1.8)
 *   swirl         how far the colour wanders, 0 to 1       (0.8)
 */
surface funkyglass(
    float Ka = 0.3;
    float Kd = 0.6;
    float Ks = 0.8;
    float roughness = 0.04;
    color specularcolor = 1;
    float opacity = 0.35;
    float rimopacity = 0.9;
    float swirlfreq = 1.8;
    float swirl = 0.8;)
{
    point PP = transform("shader", P) * swirlfreq;
    float fw = sqrt(area(PP));

    /* Two octaves of noise, the second warped by the first and dropped when
       it would be finer than a pixel. */
    float n = noise(PP);
    float detail = 1 - smoothstep(0.2, 0.5, fw * 3);
    n += 0.5 * detail * (noise(PP * 3 + vector(n * 2, 1.7, -0.4)) - 0.5);
    float t = clamp(n * 1.4 - 0.2, 0, 1);

    color turned = color(comp(Cs, 2), comp(Cs, 0), comp(Cs, 1));
    color turnedAgain = color(comp(Cs, 1), comp(Cs, 2), comp(Cs, 0));
    color pale = 0.5 * (Cs + color(1, 1, 1));
    color tint = spline(t, Cs, Cs, mix(Cs, turned, 0.8), pale,
                        mix(Cs, turnedAgain, 0.6), Cs, Cs);
    tint = mix(Cs, tint, swirl);

    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    float facing = abs(normalize(N).V);
    float keep = mix(rimopacity, opacity, smoothstep(0, 0.6, facing));
    Oi = Os * keep;
    Ci = Oi * tint * (Ka * ambient() + Kd * diffuse(Nf))
       + specularcolor * Ks * specular(Nf, V, roughness);
}
