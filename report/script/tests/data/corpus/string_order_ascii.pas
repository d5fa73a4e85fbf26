{ same in Pascal }
function F: Boolean;
begin
  Result := ('abc' < 'abd') and ('Z' < 'a') and ('ab' < 'abc') and ('b' >= 'abc');
end;
