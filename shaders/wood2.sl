/*
 * wood2: the tables' dark, varnished cherry, solid wood in shader space.
 *
 * One log fills all of shader space: the growth rings circle the shader-space
 * x axis (offset by axisy, axisz), so table tops and fronts show long grain
 * and the ends of a box show the rings' arcs. Compared with oak it is darker
 * and redder, its rings are closer and more strongly warped, a slow "figure"
 * noise shades the wood in broad flames along the grain, and its varnish
 * gives sharper, brighter highlights. Rings and grain fade to their average
 * where they would be finer than a pixel (filter width). Lit like plastic.
 *
 * Parameters (the frames pass none):
 *   Ka, Kd, Ks    ambient, diffuse and specular weights    (0.3, 0.7, 0.45)
 *   roughness     size of the highlights                   (0.08)
 *   specularcolor colour of the highlights                 (white)
 *   lightwood     colour of the early wood                 (0.66, 0.33, 0.17)
 *   darkwood      colour of the late wood                  (0.38, 0.15, 0.07)
 *   ringscale     rings per unit of distance from the axis (9)
 *   latewidth     share of each ring that is late wood     (0.45)
 *   warp          how far noise shifts the rings           (0.35)
 *   warpfreq      frequency of that noise                  (0.9)
 *   axisy, axisz  where the log's axis crosses the y-z plane  (-6, -3)
 *   figure        depth of the broad flame shading, 0 to 1    (0.3)
 *   grainscale    frequency of the fine grain               (90)
 *   graindepth    how much the fine grain darkens, 0 to 1   (0.2)
 */

/* How much late wood lies in [0, t], the dark band of each ring running
   from fraction lo to 1 of the period: the integral of the ring profile. */
float latewood(float t, lo)
{
    float whole = floor(t);
    return whole * (1 - lo) + max(0, t - whole - lo);
}

/* Box-filtered ring profile: the share of late wood over [x - w/2, x + w/2]. */
float ringcoverage(float x, w, lo)
{
    float cover;
    if (w < 1e-6)
        cover = step(lo, x - floor(x));
    else
        cover = (latewood(x + w / 2, lo) - latewood(x - w / 2, lo)) / w;
    return cover;
}

surface wood2(
    float Ka = 0.3;
    float Kd = 0.7;
    float Ks = 0.45;
    float roughness = 0.08;
    color specularcolor = 1;
    color lightwood = color(0.66, 0.33, 0.17);
    color darkwood = color(0.38, 0.15, 0.07);
    float ringscale = 9;
    float latewidth = 0.45;
    float warp = 0.35;
    float warpfreq = 0.9;
    float axisy = -6;
    float axisz = -3;
    float figure = 0.3;
    float grainscale = 90;
    float graindepth = 0.2;)
{
    point PP = transform("shader", P);
    float fw = sqrt(area(PP));

    point L = PP - vector(0, axisy, axisz);
    L += 2 * warp * (vector noise(L * warpfreq) - vector(0.5, 0.5, 0.5));
    float r = sqrt(ycomp(L) * ycomp(L) + zcomp(L) * zcomp(L));
    float rings = ringcoverage(r * ringscale, fw * ringscale, 1 - latewidth);

    /* Broad flames: slow along the grain, faster across it. */
    float flame = noise(point(xcomp(PP) * 0.4, ycomp(PP) * 3, zcomp(PP) * 3) + vector(5.2, 1.3, 8.1));
    float shade = 1 - figure * smoothstep(0.35, 0.65, flame);

    float grain = 0;
    float grainfade = 1 - smoothstep(0.25, 0.6, fw * grainscale);
    if (grainfade > 0)
        grain = grainfade * noise(point(xcomp(PP) * grainscale / 25, ycomp(PP) * grainscale,
                                        zcomp(PP) * grainscale));
    color wood = mix(lightwood, darkwood, rings) * shade * (1 - graindepth * grain);

    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    Oi = Os;
    Ci = Os * (wood * (Ka * ambient() + Kd * diffuse(Nf))
               + specularcolor * Ks * specular(Nf, V, roughness));
}
