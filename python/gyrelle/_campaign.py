"""gyrelle.campaign: placeholder until the campaign runner lands."""


def campaign(path, jobs=1, shard=None):
    raise NotImplementedError("campaigns are not available in this build")
